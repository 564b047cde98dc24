#pragma once

// Shell commands for tests that compare with git: their output, and a git
// (and libgit2) that reads no configuration but the test's own.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

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
    const std::string config = home + "/.config";
    for (const auto& [name, value] : {std::pair{"HOME", home.c_str()},
                                      {"XDG_CONFIG_HOME", config.c_str()},
                                      {"GIT_CONFIG_NOSYSTEM", "1"},
                                      {"GIT_AUTHOR_NAME", "test"},
                                      {"GIT_COMMITTER_NAME", "test"},
                                      {"GIT_AUTHOR_EMAIL", "test@example.com"},
                                      {"GIT_COMMITTER_EMAIL", "test@example.com"}}) {
        ::setenv(name, value, 1);
    }
}

}  // namespace morvash::test
