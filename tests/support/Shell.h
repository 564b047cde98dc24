#pragma once

// Shell commands for tests that compare with git: their output, and a git
// (and libgit2) that reads no configuration but the test's own.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace morvash::test {

/// Runs `command` with sh and returns its standard output; a failing command
/// fails the test.
inline std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    for (int c = 0; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) {
        output += static_cast<char>(c);
    }
    EXPECT_TRUE(pipe != nullptr && ::pclose(pipe) == 0) << command;
    return output;
}

/// Makes `home` the home folder, its ".config" the XDG configuration folder,
/// skips the system's git configuration and names a committer, for the rest
/// of the process.
inline void IsolateGit(const std::string& home) {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    ::setenv("GIT_CONFIG_NOSYSTEM", "1", 1);
    for (const char* name : {"GIT_AUTHOR_NAME", "GIT_COMMITTER_NAME"}) {
        ::setenv(name, "test", 1);
    }
    for (const char* name : {"GIT_AUTHOR_EMAIL", "GIT_COMMITTER_EMAIL"}) {
        ::setenv(name, "test@example.com", 1);
    }
}

}  // namespace morvash::test
