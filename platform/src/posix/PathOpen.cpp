#include "PathOpen.h"

#include <limits.h>
#include <linux/openat2.h>
#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace platform::posix {
namespace {

// Opens `relative` (shorter than PATH_MAX) below `base` with no symbolic link
// on the way. Kernels without openat2 get one openat per name.
int OpenBelowShort(int base, const std::string& relative) {
    static std::atomic<bool> noOpenat2{false};
    if (!noOpenat2.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kDirectoryFlags | O_NOFOLLOW;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
        const long fd = ::syscall(SYS_openat2, base, relative.c_str(), &how, sizeof how);
        if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) {
            return static_cast<int>(fd);
        }
        noOpenat2.store(true, std::memory_order_relaxed);
    }
    Fd folder(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    for (std::size_t start = 0; folder.valid() && start <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        folder = Fd(::openat(folder.get(), relative.substr(start, end - start).c_str(),
                             kDirectoryFlags | O_NOFOLLOW));
        start = end + 1;
    }
    return folder.valid() ? folder.release() : -1;
}

}  // namespace

Fd OpenBase(std::string_view path, std::string_view& rest) {
    Fd base;
    rest = path;
    while (rest.size() >= PATH_MAX) {
        const std::size_t cut = rest.substr(0, PATH_MAX - 1).rfind('/');
        if (cut == std::string_view::npos || cut == 0) {
            return Fd(-1);
        }
        const std::string piece(rest.substr(0, cut));
        Fd next(::openat(base.get(), piece.c_str(), kDirectoryFlags));
        if (!next.valid()) {
            return Fd(-1);
        }
        base = std::move(next);
        rest = rest.substr(cut + 1);
    }
    return base;
}

std::string Component(std::string_view rest) {
    return rest.empty() ? "." : std::string(rest);
}

int OpenFolder(std::string_view path) {
    errno = 0;
    std::string_view rest;
    const Fd base = OpenBase(path, rest);
    if (!base.valid()) {
        // A piece that cannot be cut at a separator fails without a system call.
        if (errno == 0) {
            errno = ENAMETOOLONG;
        }
        return -1;
    }
    return ::openat(base.get(), Component(rest).c_str(), kDirectoryFlags);
}

int OpenBelow(int base, std::string_view relative) {
    if (relative.size() < PATH_MAX) {
        return OpenBelowShort(base, std::string(relative));
    }
    // A long path goes piece by piece, each piece under the same rule.
    Fd from;
    int at = base;
    while (relative.size() >= PATH_MAX) {
        const std::size_t cut = relative.substr(0, PATH_MAX - 1).rfind('/');
        if (cut == std::string_view::npos || cut == 0) {
            errno = ENAMETOOLONG;
            return -1;
        }
        from = Fd(OpenBelowShort(at, std::string(relative.substr(0, cut))));
        if (!from.valid()) {
            return -1;
        }
        at = from.get();
        relative.remove_prefix(cut + 1);
    }
    return OpenBelowShort(at, std::string(relative));
}

bool StatExact(std::string_view path, struct stat& info) {
    if (path.empty() || path.back() == '/') {
        return false;
    }
    std::string_view rest;
    const Fd base = OpenBase(path, rest);
    return base.valid() && ::fstatat(base.get(), rest.data(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace platform::posix
