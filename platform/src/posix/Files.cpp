#include "morvash/platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

bool ReadRegularFile(const std::string& path, std::string& text, LinkUse links) {
    text.clear();
    const int flags = O_RDONLY | O_CLOEXEC | (links == LinkUse::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        // The size is a hint: a file that grows or shrinks meanwhile is read
        // to its end all the same.
        text.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t done = 0;
        for (;;) {
            if (done == text.size()) {
                text.resize(text.size() * 2);
            }
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                ok = got == 0;
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        text.resize(ok ? done : 0);
    }
    ::close(fd);
    return ok;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string RealPath(const char* path) {
    char* real = ::realpath(path, nullptr);
    if (real == nullptr) {
        return {};
    }
    std::string text(real);
    std::free(real);
    return text;
}

}  // namespace platform
