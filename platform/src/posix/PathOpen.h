#pragma once

// The POSIX pieces that opening folders and looking entries up share: an
// owned descriptor, the resolution of paths longer than PATH_MAX, and the
// opening of a path below a folder with no symbolic link on the way.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <utility>

namespace platform::posix {

inline constexpr int kDirectoryFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;

/// An owned file descriptor (or AT_FDCWD, which is never closed).
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, AT_FDCWD)) {}
    Fd& operator=(Fd&& other) noexcept {
        reset(std::exchange(other.fd_, AT_FDCWD));
        return *this;
    }
    ~Fd() { reset(AT_FDCWD); }
    int get() const noexcept { return fd_; }
    int release() noexcept { return std::exchange(fd_, AT_FDCWD); }
    bool valid() const noexcept { return fd_ >= 0 || fd_ == AT_FDCWD; }
    void reset(int fd) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_ = AT_FDCWD;
};

/// Resolves the leading part of a path that is too long for one system call,
/// folder by folder, and leaves in `rest` a tail short enough to be resolved
/// relative to the returned folder. Each piece is resolved as the whole path
/// would be, so the result names the same file.
Fd OpenBase(std::string_view path, std::string_view& rest);

/// Opens the folder `path` for reading, through OpenBase when it is long;
/// returns the descriptor, or -1 with errno set.
int OpenFolder(std::string_view path);

/// The tail OpenBase left, as a name for openat: "." when empty.
std::string Component(std::string_view rest);

/// Opens `relative` below the folder `base` for reading, following no
/// symbolic link on the way; long paths go piece by piece. Returns the
/// descriptor, or -1 with errno set.
int OpenBelow(int base, std::string_view relative);

/// Reads the entry that `path` names as it stands (lstat), through OpenBase
/// when it is long. `path` must be followed by a NUL byte. A path ending in
/// "/" names no entry.
bool StatExact(std::string_view path, struct stat& info);

}  // namespace platform::posix
