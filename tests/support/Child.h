#pragma once

// Running a piece of a test in a forked child: with a watchdog, so that a
// hang fails the test instead of stalling the suite, and optionally without
// root's rights, since root reads folders whatever their permissions. The
// work reports through its return value (empty when all went well); gtest
// assertions inside it would be lost with the child.

#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

namespace morvash::test {

/// Runs `work` in a forked child, after dropping to nobody (no groups, gid
/// and uid 65534) when `dropRights`; returns what it returned, or why the
/// child failed: rights not dropped, a crash, or a hang past `seconds`.
inline std::string RunInChild(const std::function<std::string()>& work, bool dropRights = false,
                              unsigned int seconds = 60) {
    // The child leaves its report in a shared block, NUL-terminated.
    constexpr std::size_t kSize = 64 * 1024;
    void* const shared =
        ::mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    const pid_t pid = shared == MAP_FAILED ? -1 : ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        const bool dropped = !dropRights || (::setgroups(0, nullptr) == 0 &&  // 65534: nobody
                                             ::setgid(65534) == 0 && ::setuid(65534) == 0);
        (dropped ? work() : "cannot drop rights").copy(static_cast<char*>(shared), kSize - 1);
        ::_exit(0);  // not exit(): the child must not run the parent's exit handlers
    }
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    std::string report = pid < 0 ? "cannot start a child" : static_cast<const char*>(shared);
    ::munmap(shared, kSize);
    if (WIFSIGNALED(status)) {
        report += WTERMSIG(status) == SIGALRM ? "\nthe child hung" : "\nthe child crashed";
    }
    return report;
}

}  // namespace morvash::test
