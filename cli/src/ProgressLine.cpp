#include "ProgressLine.h"

#include <ostream>

namespace tandrel::cli {
namespace {

// Back to the line's start, and clear to its end: the terminal's line is
// empty again, whatever stood there.
constexpr std::string_view kErase = "\r\x1b[K";

// Writes `value` with a comma between groups of three digits.
std::string Grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

}  // namespace

std::string ProgressText(std::uint64_t entries, std::uint64_t folders) {
    return Grouped(entries) + " entries in " + Grouped(folders) + " folders";
}

ProgressLine::ProgressLine(std::ostream& err, const morvash::WalkControl& walk,
                           std::chrono::milliseconds delay, std::chrono::milliseconds interval)
    : err_(err), walk_(walk) {
    thread_ = std::thread([this, delay, interval] {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, delay, [this] { return stopping_; })) {
            return;
        }
        do {
            show();
        } while (!wake_.wait_for(lock, interval, [this] { return stopping_; }));
    });
}

ProgressLine::~ProgressLine() {
    Stop();
}

void ProgressLine::show() {
    err_ << kErase << ProgressText(walk_.Entries(), walk_.Folders()) << std::flush;
    shown_ = true;
}

void ProgressLine::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (shown_) {
        err_ << kErase << std::flush;
    }
}

}  // namespace tandrel::cli
