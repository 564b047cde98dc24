#pragma once

// Runs a piece of work in a forked child that a watchdog alarm ends if it
// hangs, and that watches, with inotify, every folder of a tree for files
// being opened: walking, looking up details and rendering must open folders
// only, never a file, a FIFO or a socket.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel::torture {

/// Problems found by a piece of work; empty when all went well.
using Problems = std::vector<std::string>;

struct GuardOptions {
    /// The tree whose every folder is watched for opened non-folders.
    std::string watchedTree;
    /// Seconds before the watchdog ends the child as hung.
    unsigned int seconds = 120;
    /// Drops root's rights (uid and gid 65534, no groups) before the work.
    bool dropRights = false;
};

/// Runs `work` in a child process and returns its problems, plus one for a
/// crash, a hang, a leak (under the leak checker) or a file that was opened.
Problems RunGuarded(const GuardOptions& options, const std::function<Problems()>& work);

/// Returns text with each control byte and each byte >= 0x7F as \xHH, so
/// that a problem naming any file stays on one line.
std::string Escape(std::string_view text);

/// Joins problems into one text, one per line, for a test's failure message.
std::string Describe(const Problems& problems);

}  // namespace tandrel::torture
