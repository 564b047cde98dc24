#pragma once

// The status line of a long run on a terminal's standard error: the entries
// and folders walked so far. A thread of its own shows it once the run has
// taken longer than a delay, updates it at most once per interval, and
// erases it when stopped, before the tree is written.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <iosfwd>
#include <mutex>
#include <string>
#include <thread>

#include "morvash/WalkOptions.h"

namespace tandrel::cli {

/// Returns the status line's text for the counts.
std::string ProgressText(std::uint64_t entries, std::uint64_t folders);

class ProgressLine {
  public:
    /// Starts watching `walk` (which must outlive this object); the line goes
    /// to `err`, which nothing else may write to until Stop.
    ProgressLine(std::ostream& err, const morvash::WalkControl& walk,
                 std::chrono::milliseconds delay = std::chrono::milliseconds(500),
                 std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    /// Stops as Stop does.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    /// Ends the thread at once and erases the line, if one was shown.
    void Stop();

  private:
    void show();

    std::ostream& err_;
    const morvash::WalkControl& walk_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread thread_;
};

}  // namespace tandrel::cli
