#include "ProgressLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>

namespace tandrel::cli {
namespace {

using namespace std::chrono_literals;

// A stream buffer that tells when the progress thread first wrote to it; the
// test reads the text only after Stop has joined the thread.
struct WatchedBuffer : std::stringbuf {
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        written = true;
        return std::stringbuf::xsputn(bytes, count);
    }
    std::atomic<bool> written{false};
};

TEST(ProgressLine, ShownAfterTheDelayAndErasedWhenStopped) {
    morvash::WalkControl walk;
    walk.AddEntries(1234567);
    walk.AddFolder();
    WatchedBuffer buffer;
    std::ostream err(&buffer);
    ProgressLine progress(err, walk, 0ms, 1ms);
    for (int waited = 0; !buffer.written && waited < 5000; ++waited) {
        std::this_thread::sleep_for(1ms);
    }
    progress.Stop();
    const std::string text = buffer.str();
    const std::string line = "\r\x1b[K1,234,567 entries in 1 folders";
    EXPECT_EQ(text.substr(0, line.size()), line);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");

    // A run that ends before the delay shows nothing, and stopping does not wait.
    WatchedBuffer quiet;
    std::ostream quietErr(&quiet);
    ProgressLine(quietErr, walk, 1h).Stop();
    EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace tandrel::cli
