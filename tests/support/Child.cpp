#include "Child.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

namespace morvash::test {
namespace {

constexpr uid_t kNobody = 65534;

[[noreturn]] void RunChild(const std::function<std::string()>& work, bool dropRights,
                           unsigned int seconds, int reportFd) {
    ::alarm(seconds);
    std::string report;
    if (dropRights &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        report = std::string("cannot drop rights: ") + std::strerror(errno);
    } else {
        report = work();
    }
    for (std::size_t done = 0; done < report.size();) {
        const ssize_t wrote = ::write(reportFd, report.data() + done, report.size() - done);
        if (wrote <= 0) {
            break;
        }
        done += static_cast<std::size_t>(wrote);
    }
    // _exit: the child must not run the parent's exit handlers or tests.
    ::_exit(0);
}

}  // namespace

std::string RunInChild(const std::function<std::string()>& work, bool dropRights,
                       unsigned int seconds) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return std::string("pipe2: ") + std::strerror(errno);
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::string("fork: ") + std::strerror(errno);
    }
    if (pid == 0) {
        ::close(fds[0]);
        RunChild(work, dropRights, seconds, fds[1]);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got = 0; (got = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (got > 0) {
            report.append(buffer, static_cast<std::size_t>(got));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        report += WTERMSIG(status) == SIGALRM
                      ? "\nthe child hung: the watchdog ended it"
                      : "\nthe child crashed with signal " + std::to_string(WTERMSIG(status));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        report += "\nthe child ended with status " + std::to_string(WEXITSTATUS(status));
    }
    return report;
}

}  // namespace morvash::test
