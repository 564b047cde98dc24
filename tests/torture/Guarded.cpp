#include "Guarded.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#define TORTURE_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORTURE_LEAK_CHECK 1
#endif
#endif
#if defined(TORTURE_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

namespace tandrel::torture {
namespace {

constexpr uid_t kNobody = 65534;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Adds an IN_OPEN watch to the folder open as `fd` and to every folder below
// it, through /proc/self/fd so that no path grows too long. Folders that
// cannot be opened are left unwatched: nothing inside them can be opened
// either.
void WatchFolders(int inotifyFd, int fd, int& count) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::inotify_add_watch(inotifyFd, self.c_str(), IN_OPEN) >= 0) {
        ++count;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return;
    }
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != ".." && entry->d_type == DT_DIR) {
            folders.emplace_back(name);
        }
    }
    for (const std::string& name : folders) {
        const int sub = ::openat(::dirfd(dir), name.c_str(), kFolderFlags);
        if (sub >= 0) {
            WatchFolders(inotifyFd, sub, count);
        }
    }
    ::closedir(dir);
}

// Reads the queued events and names each non-folder that was opened.
void CollectOpenedFiles(int inotifyFd, Problems& problems) {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(inotifyFd, buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                problems.push_back("inotify lost events; cannot tell what was opened");
            } else if ((event->mask & IN_OPEN) != 0 && (event->mask & IN_ISDIR) == 0) {
                problems.push_back("opened a non-folder: " +
                                   Escape(event->len > 0 ? event->name : "(watched)"));
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0) {
            return;
        }
        done += static_cast<std::size_t>(wrote);
    }
}

[[noreturn]] void RunChild(const GuardOptions& options, const std::function<Problems()>& work,
                           int reportFd) {
    ::alarm(options.seconds);
    Problems problems;
    const int inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    int watched = 0;
    if (inotifyFd < 0) {
        problems.push_back(std::string("inotify_init1: ") + std::strerror(errno));
    } else if (!options.watchedTree.empty()) {
        const int top = ::open(options.watchedTree.c_str(), kFolderFlags);
        if (top >= 0) {
            WatchFolders(inotifyFd, top, watched);
        }
        if (watched == 0) {
            problems.push_back("could not watch " + options.watchedTree);
        }
    }
    if (options.dropRights) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            problems.push_back(std::string("cannot drop rights: ") + std::strerror(errno));
        }
    }
    if (problems.empty()) {
        Problems found = work();
        problems.insert(problems.end(), found.begin(), found.end());
        if (inotifyFd >= 0) {
            CollectOpenedFiles(inotifyFd, problems);
        }
    }
#if defined(TORTURE_LEAK_CHECK)
    if (__lsan_do_recoverable_leak_check() != 0) {
        problems.push_back("the leak checker found leaks (see its report above)");
    }
#endif
    WriteAll(reportFd, Describe(problems));
    ::close(reportFd);
    // _exit: the child must not run the parent's exit handlers or tests.
    ::_exit(0);
}

}  // namespace

Problems RunGuarded(const GuardOptions& options, const std::function<Problems()>& work) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {std::string("pipe2: ") + std::strerror(errno)};
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return {std::string("fork: ") + std::strerror(errno)};
    }
    if (pid == 0) {
        ::close(fds[0]);
        RunChild(options, work, fds[1]);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got > 0) {
            report.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    Problems problems;
    std::size_t start = 0;
    while (start < report.size()) {
        const std::size_t end = report.find('\n', start);
        problems.push_back(report.substr(start, end - start));
        start = end == std::string::npos ? report.size() : end + 1;
    }
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        problems.push_back(sig == SIGALRM ? "the work hung: the watchdog ended it"
                                          : "the work crashed with signal " + std::to_string(sig));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        problems.push_back("the work ended with status " + std::to_string(WEXITSTATUS(status)));
    }
    return problems;
}

std::string Escape(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string Describe(const Problems& problems) {
    std::string text;
    for (const std::string& problem : problems) {
        text += problem;
        text += '\n';
    }
    return text;
}

}  // namespace tandrel::torture
