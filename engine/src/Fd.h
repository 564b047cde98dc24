#pragma once

// An owned file descriptor, closed when it goes.

#include <unistd.h>

#include <utility>

namespace morvash::detail {

class Fd {
  public:
    explicit Fd(int fd = -1) noexcept : fd_(fd) {}
    ~Fd() { reset(-1); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    /// Closes the descriptor held, if any, and holds `fd` instead.
    void reset(int fd) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }
    /// Gives the descriptor up to the caller, who closes it.
    int release() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

}  // namespace morvash::detail
