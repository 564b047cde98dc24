#include "morvash/platform/Folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "PathOpen.h"

namespace platform {
namespace {

// Bytes per directory read: some hundreds of entries.
constexpr std::size_t kReadSize = 32 * 1024;

EntryKind KindOf(unsigned char type) noexcept {
    switch (type) {
        case DT_DIR:
            return EntryKind::Directory;
        case DT_LNK:
            return EntryKind::Link;
        case DT_REG:
            return EntryKind::File;
        case DT_UNKNOWN:
            return EntryKind::Unknown;
        default:
            return EntryKind::Other;
    }
}

bool Fill(int result, const struct stat& info, FileStatus& status) noexcept {
    if (result != 0) {
        return false;
    }
    status.kind = KindOf(static_cast<unsigned char>(IFTODT(info.st_mode)));
    status.size = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    status.seconds = info.st_mtim.tv_sec;
    status.nanoseconds = static_cast<std::uint32_t>(info.st_mtim.tv_nsec);
    status.mode = info.st_mode;
    status.links = static_cast<std::uint32_t>(info.st_nlink);
    status.device = info.st_dev;
    return true;
}

}  // namespace

Folder::~Folder() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

Folder::Folder(Folder&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), error_(std::exchange(other.error_, 0)) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = std::exchange(other.fd_, -1);
        error_ = std::exchange(other.error_, 0);
    }
    return *this;
}

Folder Folder::Open(std::string_view path) {
    const int fd = posix::OpenFolder(path);
    return {fd, fd < 0 ? errno : 0};
}

Folder Folder::OpenSub(const char* name) const noexcept {
    const int fd = ::openat(fd_, name, posix::kDirectoryFlags | O_NOFOLLOW);
    return {fd, fd < 0 ? errno : 0};
}

Folder Folder::OpenBelow(std::string_view relative) const {
    const int fd = posix::OpenBelow(fd_, relative);
    return {fd, fd < 0 ? errno : 0};
}

bool Folder::LookUp(const char* name, FileStatus& status) const noexcept {
    struct stat info {};
    return Fill(::fstatat(fd_, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT), info, status);
}

bool Folder::LookUpTarget(const char* name, FileStatus& status) const noexcept {
    struct stat info {};
    return Fill(::fstatat(fd_, name, &info, 0), info, status);
}

bool Folder::ReadLink(const char* name, std::string& target) const {
    // A link's contents are at most PATH_MAX bytes on Linux; a longer one is
    // read again with room for it.
    std::size_t room = 256;
    for (;;) {
        target.resize(room);
        const ssize_t got = ::readlinkat(fd_, name, target.data(), room);
        if (got < 0) {
            target.clear();
            return false;
        }
        if (static_cast<std::size_t>(got) < room) {
            target.resize(static_cast<std::size_t>(got));
            return true;
        }
        room *= 4;
    }
}

bool Folder::Status(FileStatus& status) const noexcept {
    struct stat info {};
    return Fill(::fstat(fd_, &info), info, status);
}

EntryReader::EntryReader() : buffer_(std::make_unique_for_overwrite<char[]>(kReadSize)) {
    entries_.reserve(kReadSize / 24);  // a record takes at least 24 bytes
}

EntryReader::~EntryReader() = default;

bool EntryReader::Read(const Folder& folder) {
    entries_.clear();
    error_ = 0;
    while (entries_.empty()) {
        const ssize_t got = ::getdents64(folder.fd_, buffer_.get(), kReadSize);
        if (got <= 0) {
            // What was read before stays; the caller reports the failure.
            error_ = got < 0 ? errno : 0;
            return false;
        }
        for (std::size_t pos = 0; pos < static_cast<std::size_t>(got);) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer_.get() + pos);
            pos += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
                continue;
            }
            entries_.push_back(
                {name, static_cast<std::uint32_t>(std::strlen(name)), KindOf(entry->d_type)});
        }
    }
    return true;
}

unsigned long OpenFileLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 0;
    }
    return static_cast<unsigned long>(limit.rlim_cur);
}

}  // namespace platform
