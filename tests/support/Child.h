#pragma once

// Running a piece of a test in a forked child: with a watchdog, so that a
// hang fails the test instead of stalling the suite, and optionally without
// root's rights, since root reads folders whatever their permissions. The
// work reports through its return value (empty when all went well); gtest
// assertions inside it would be lost with the child.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace morvash::test {

/// Runs `work` in a forked child, after dropping to nobody (no groups, gid
/// and uid 65534) when `dropRights`; returns what it returned, or why the
/// child failed: rights not dropped, a crash, or a hang past `seconds`.
std::string RunInChild(const std::function<std::string()>& work, bool dropRights = false,
                       unsigned int seconds = 60);

/// Runs `work` in a child that has dropped root's rights (see RunInChild).
inline std::string RunUnprivileged(const std::function<std::string()>& work) {
    return RunInChild(work, true);
}

}  // namespace morvash::test

/// Skips the current test unless it runs as root, which alone can drop rights.
#define TANDREL_SKIP_UNLESS_ROOT()                                                    \
    do {                                                                              \
        if (::geteuid() != 0) {                                                       \
            GTEST_SKIP() << "needs root, to test as an unprivileged user in a child"; \
        }                                                                             \
    } while (false)
