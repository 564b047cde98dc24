#include "morvash/platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <string_view>
#include <utility>

#include "SignalCleanup.h"

namespace platform {
namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// The folder that holds `path`'s last component.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    const std::size_t end = path.find_last_not_of('/', slash);
    return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

// Follows the symbolic links at `path`, one by one, to the path of what they
// finally name (which may not exist yet); 0 or an errno.
int FollowLinks(std::string path, std::string& followed) {
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            followed = std::move(path);
            return 0;
        }
        if (hops == kMaxLinks) {
            return ELOOP;
        }
        std::string target(static_cast<std::size_t>(info.st_size) + 256, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) {
            return errno;
        }
        target.resize(static_cast<std::size_t>(length));
        path = target.starts_with('/') ? target : FolderOf(path) + "/" + target;
    }
}

// The mode a new file gets from open(2) with 0666 under the process's umask.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A hidden name beside `target` that no file has yet, most likely: a dot,
// the target's name (its first 200 bytes, so that the name stays within the
// system's limit) and six random letters.
std::string HiddenName(const std::string& target, unsigned attempt) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    auto seed = static_cast<unsigned long long>(
                    std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<unsigned long long>(::getpid()) << 32) ^
                (attempt * 0x9E37'79B9'7F4A'7C15u);
    const std::size_t slash = target.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string name = target.substr(0, start);
    name += '.';
    name += std::string_view(target).substr(start, 200);
    name += '.';
    for (int k = 0; k < 6; ++k, seed /= kLetters.size()) {
        name += kLetters[seed % kLetters.size()];
    }
    return name;
}

}  // namespace

struct OutputFile::State : std::streambuf {
    std::string target;  // what is written or replaced, links followed
    Way way = Way::Replace;
    int fd = -1;
    int openError = 0;
    int writeError = 0;
    bool unnamed = false;     // fd is a file without a name in target's folder
    bool namedLater = false;  // the hidden named file is made when writing begins
    bool emptyLater = false;  // a regular file written in place is emptied then
    bool started = false;
    bool committed = false;
    std::string temporary;  // the hidden named file, once it exists
    mode_t mode = 0;
    bool keepOwner = false;
    uid_t owner = 0;
    gid_t group = 0;
    std::array<char, 64 * 1024> buffer{};
    std::ostream out{this};

    State() { setp(buffer.data(), buffer.data() + buffer.size()); }

    ~State() override {
        if (fd >= 0) {
            ::close(fd);
        }
        if (!temporary.empty() && !committed) {
            ::unlink(temporary.c_str());
            detail::ForgetOnSignal();
        }
    }

    // Gives the new file the old one's permission bits and owner; false when
    // the owner cannot be given.
    bool adopt(int file) const {
        if (keepOwner && ::fchown(file, owner, group) != 0) {
            return false;
        }
        // After the owner: a change of owner clears the set-user-ID bit.
        return ::fchmod(file, mode) == 0;
    }

    // Makes the file that is written, once writing begins; false with
    // writeError set when it cannot be made.
    bool start() {
        if (started) {
            return writeError == 0;
        }
        started = true;
        if (namedLater) {
            const detail::SignalsHeld held;
            for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
                temporary = HiddenName(target, attempt);
                fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
                if (fd < 0 && errno != EEXIST) {
                    break;
                }
            }
            if (fd < 0) {
                writeError = errno;
                temporary.clear();
                return false;
            }
            detail::RemoveOnSignal(temporary.c_str());
            if (!adopt(fd)) {
                writeError = errno;
                return false;
            }
        }
        if (emptyLater && ::ftruncate(fd, 0) != 0) {
            writeError = errno;
            return false;
        }
        return true;
    }

    bool writeAll(const char* bytes, std::size_t count) {
        if (!start()) {
            return false;
        }
        while (count > 0) {
            const ssize_t written = ::write(fd, bytes, count);
            if (written < 0) {
                if (errno == EINTR) {
                    continue;
                }
                writeError = errno;
                return false;
            }
            bytes += written;
            count -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool flushBuffer() {
        const auto pending = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer.data(), buffer.data() + buffer.size());
        return writeError == 0 && writeAll(buffer.data(), pending);
    }

    int overflow(int ch) override {
        if (!flushBuffer()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        if (count < static_cast<std::streamsize>(buffer.size()) / 2 && epptr() - pptr() >= count) {
            std::copy(bytes, bytes + count, pptr());
            pbump(static_cast<int>(count));
            return count;
        }
        if (!flushBuffer() || !writeAll(bytes, static_cast<std::size_t>(count))) {
            return 0;
        }
        return count;
    }

    int sync() override { return flushBuffer() ? 0 : -1; }

    // Opens a new file for `target` in its folder; returns 0, or the errno
    // that tells why the folder takes none, or EPERM when the old file's
    // owner cannot be given to it.
    int openReplacement(bool tryUnnamed) {
        const std::string folder = FolderOf(target);
        if (tryUnnamed) {
            const int file = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (file >= 0) {
                if (!adopt(file)) {
                    ::close(file);
                    return EPERM;
                }
                fd = file;
                unnamed = true;
                return 0;
            }
            // Other failures than a file system without unnamed files are the
            // folder's: a named file could not be made there either.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                return errno;
            }
        }
        // Only root may give a file to another owner. The named file is made
        // once writing begins, where the folder lets this process make one.
        if (keepOwner && ::geteuid() != 0) {
            return EPERM;
        }
        if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
            return errno;
        }
        namedLater = true;
        return 0;
    }

    void open(const std::string& path, const Choices& choices) {
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
            if (S_ISDIR(info.st_mode)) {
                openError = EISDIR;
                return;
            }
            // A FIFO, a terminal or a device (links followed by the system,
            // /proc's included): written in place, never replaced.
            way = Way::InPlace;
            fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            openError = fd < 0 ? errno : 0;
            return;
        }
        if (const int error = FollowLinks(path, target); error != 0) {
            openError = error;
            return;
        }
        const bool exists = ::stat(target.c_str(), &info) == 0;
        if (!exists && errno != ENOENT) {
            openError = errno;
            return;
        }
        mode = exists ? info.st_mode & 07777 : NewFileMode();
        keepOwner = exists && (info.st_uid != ::geteuid() || info.st_gid != ::getegid());
        owner = info.st_uid;
        group = info.st_gid;
        const int replacement =
            exists && info.st_nlink > 1 ? EMLINK : openReplacement(choices.unnamed);
        if (replacement == 0) {
            return;
        }
        if (!exists) {
            openError = replacement;
            return;
        }
        way = Way::InPlace;
        fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        openError = fd < 0 ? errno : 0;
        emptyLater = true;
    }

    int commit() {
        if (!start() || !flushBuffer()) {
            return writeError;
        }
        if (way == Way::InPlace) {
            const int file = std::exchange(fd, -1);
            return ::close(file) == 0 ? 0 : errno;
        }
        if (unnamed) {
            const detail::SignalsHeld held;
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            for (unsigned attempt = 0; temporary.empty() && attempt < 100; ++attempt) {
                std::string name = HiddenName(target, attempt);
                // Through /proc; without it, by the descriptor itself, which
                // needs root's right to search any folder.
                const bool linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(),
                                             AT_SYMLINK_FOLLOW) == 0 ||
                                    (errno == ENOENT &&
                                     ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0);
                if (linked) {
                    temporary = std::move(name);
                    detail::RemoveOnSignal(temporary.c_str());
                } else if (errno != EEXIST) {
                    return errno;
                }
            }
            if (temporary.empty()) {
                return EEXIST;
            }
        }
        if (::close(std::exchange(fd, -1)) != 0 ||
            std::rename(temporary.c_str(), target.c_str()) != 0) {
            return errno;
        }
        committed = true;
        detail::ForgetOnSignal();
        return 0;
    }
};

OutputFile::OutputFile(std::string path) : OutputFile(std::move(path), Choices{}) {}

OutputFile::OutputFile(std::string path, Choices choices) : state_(std::make_unique<State>()) {
    state_->open(path, choices);
}

OutputFile::~OutputFile() = default;

int OutputFile::OpenError() const noexcept {
    return state_->openError;
}

OutputFile::Way OutputFile::way() const noexcept {
    return state_->way;
}

std::ostream& OutputFile::stream() noexcept {
    return state_->out;
}

int OutputFile::Commit() {
    state_->out.flush();
    return state_->commit();
}

}  // namespace platform
