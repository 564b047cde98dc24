#include "TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <utility>

namespace morvash::test {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

[[noreturn]] void Fail(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void Check(bool ok, const std::string& what) {
    if (!ok) {
        Fail(what);
    }
}

// Removes everything inside the folder open as `fd` and closes it; relative
// to folder descriptors, so depth and path length do not matter.
void EmptyFolder(int fd) {
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info {};
        const bool folder =
            ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(info.st_mode);
        entries.emplace_back(name, folder);
    }
    for (const auto& [name, folder] : entries) {
        if (folder) {
            ::fchmodat(::dirfd(dir), name.c_str(), 0700, 0);
            const int sub = ::openat(::dirfd(dir), name.c_str(), kFolderFlags);
            if (sub >= 0) {
                EmptyFolder(sub);
            }
        }
        ::unlinkat(::dirfd(dir), name.c_str(), folder ? AT_REMOVEDIR : 0);
    }
    ::closedir(dir);
}

}  // namespace

TempTree::TempTree(const char* base) {
    if (base == nullptr) {
        base = std::getenv("TMPDIR");
    }
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/morvash-test-XXXXXX";
    Check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp " + pattern);
    root_ = std::move(pattern);
    // Readable by everyone, so that a child that drops its rights still reaches it.
    Check(::chmod(root_.c_str(), 0755) == 0, "chmod " + root_);
}

TempTree::~TempTree() {
    const int fd = ::open(root_.c_str(), kFolderFlags);
    if (fd >= 0) {
        EmptyFolder(fd);
    }
    ::rmdir(root_.c_str());
}

std::string TempTree::path(std::string_view rel) const {
    std::string result = root_;
    result += '/';
    result += rel;
    return result;
}

void TempTree::makeFolder(std::string_view rel) const {
    Check(::mkdir(path(rel).c_str(), 0755) == 0, "mkdir " + path(rel));
}

std::string TempTree::makeChain(std::string_view rel, std::string_view name, int count) const {
    const std::string leaf(name);
    std::string deepest(rel);
    int fd = ::open(path(rel).c_str(), kFolderFlags);
    Check(fd >= 0, "open " + path(rel));
    for (int i = 0; i < count; ++i) {
        const bool made = ::mkdirat(fd, leaf.c_str(), 0755) == 0;
        const int next = made ? ::openat(fd, leaf.c_str(), kFolderFlags) : -1;
        ::close(fd);
        Check(next >= 0, "mkdir chain at level " + std::to_string(i));
        fd = next;
        deepest += (deepest.empty() ? "" : "/") + leaf;
    }
    ::close(fd);
    return deepest;
}

void TempTree::touch(std::string_view rel, off_t size) const {
    const int fd = ::open(path(rel).c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    Check(fd >= 0, "create " + path(rel));
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    Check(sized, "ftruncate " + path(rel));
}

void TempTree::setTime(std::string_view rel, std::int64_t seconds, long nanoseconds) const {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
    Check(::utimensat(AT_FDCWD, path(rel).c_str(), times, AT_SYMLINK_NOFOLLOW) == 0,
          "utimensat " + path(rel));
}

void TempTree::link(std::string_view target, std::string_view rel) const {
    Check(::symlink(std::string(target).c_str(), path(rel).c_str()) == 0, "symlink " + path(rel));
}

void TempTree::remove(std::string_view rel) const {
    Check(::unlink(path(rel).c_str()) == 0, "unlink " + path(rel));
}

std::vector<std::string> TempTree::names(std::string_view rel) const {
    DIR* dir = ::opendir(path(rel).c_str());
    Check(dir != nullptr, "opendir " + path(rel));
    std::vector<std::string> result;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") {
            result.emplace_back(name);
        }
    }
    ::closedir(dir);
    return result;
}

}  // namespace morvash::test
