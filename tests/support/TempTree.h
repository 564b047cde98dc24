#pragma once

// TempTree: a real folder tree in a fresh temporary directory, for tests that
// walk the file system. Paths given to the helpers are relative to the tree's
// root; a helper that the system refuses throws (std::system_error or
// std::filesystem::filesystem_error), which fails the test. The destructor
// removes the whole tree, however deep, without following symbolic links.

#include <fcntl.h>  // AT_FDCWD, open
#include <sys/stat.h>
#include <sys/sysmacros.h>  // makedev
#include <unistd.h>         // close, unlink

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace morvash::test {

/// The number of file descriptors the process holds open.
inline long OpenFileCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

class TempTree {
  public:
    /// Makes an empty folder below `base` ($TMPDIR or /tmp when null),
    /// readable by everyone, so that a child that drops its rights reaches it.
    explicit TempTree(const char* base = nullptr) {
        base = base != nullptr ? base : std::getenv("TMPDIR");
        root_ = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/morvash-XXXXXX";
        check(::mkdtemp(root_.data()) != nullptr && ::chmod(root_.c_str(), 0755) == 0, "");
    }
    /// Removes the tree: chmod and rm reach any depth, follow no link, and
    /// chmod reopens the folders a test closed to its owner.
    ~TempTree() {
        const std::string quoted = "'" + root_ + "'";
        [[maybe_unused]] const int status =
            std::system(("chmod -R u+rwx " + quoted + " 2>/dev/null; rm -rf " + quoted).c_str());
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    /// Returns the root folder's absolute path, without a trailing "/".
    const std::string& root() const { return root_; }
    /// Returns root() + "/" + rel.
    std::string path(std::string_view rel) const { return root_ + '/' + std::string(rel); }

    /// Returns a device on which every write fails with ENOSPC: a node of
    /// the tree's own where one can be made and opened (as root), so that
    /// output code that went wrong could never replace the system's
    /// /dev/full; otherwise /dev/full, which nobody else may replace.
    std::string fullDevice() const {
        const std::string node = path("full");
        if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
            if (const int fd = ::open(node.c_str(), O_WRONLY | O_CLOEXEC); fd >= 0) {
                ::close(fd);
                return node;
            }
            ::unlink(node.c_str());
        }
        return "/dev/full";
    }

    /// Makes the folder `rel` (its parent must exist).
    void makeFolder(std::string_view rel) const {
        check(std::filesystem::create_directory(path(rel)), rel);
    }
    /// Makes `count` folders, each named `name`, one inside the other below
    /// `rel`; works beyond PATH_MAX. Returns the relative path of the deepest.
    std::string makeChain(std::string_view rel, std::string_view name, int count) const {
        std::string deepest(rel);
        for (int i = 0; i < count; ++i) {
            deepest.append(deepest.empty() ? "" : "/").append(name);
        }
        check(std::system(("mkdir -p '" + path(deepest) + "'").c_str()) == 0, rel);
        return deepest;
    }
    /// Creates the file `rel` (or keeps it) and sets its size; sizes past the
    /// written bytes are sparse, so they cost no disk.
    void touch(std::string_view rel, off_t size = 0) const {
        check(std::ofstream(path(rel), std::ios::app).good(), rel);
        std::filesystem::resize_file(path(rel), static_cast<std::uintmax_t>(size));
    }
    /// Sets the last-write time of `rel` (a link's own time for a link).
    void setTime(std::string_view rel, std::int64_t seconds, long nanoseconds = 0) const {
        const decltype(stat::st_mtim) times[] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
        check(::utimensat(AT_FDCWD, path(rel).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, rel);
    }
    /// Makes the symbolic link `rel` pointing at `target`.
    void link(std::string_view target, std::string_view rel) const {
        std::filesystem::create_symlink(target, path(rel));
    }

  private:
    void check(bool ok, std::string_view rel) const {
        if (!ok) {
            throw std::system_error(errno, std::generic_category(), path(rel));
        }
    }

    std::string root_;
};

/// Returns prefix, the number, then suffix ("f7.txt"). Built by appending:
/// GCC 12 warns falsely about "f" + std::to_string(n) at -O2.
inline std::string Numbered(std::string_view prefix, long long number,
                            std::string_view suffix = {}) {
    return std::string(prefix).append(std::to_string(number)).append(suffix);
}

}  // namespace morvash::test
