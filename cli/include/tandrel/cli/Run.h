#pragma once

// tandrel-cli: the tree text of the Tandrel dialog, for terminals and scripts.
// `main` prepares the process and hands its arguments and standard streams to
// `run`, so that tests drive the whole command in-process with string streams.

#include <iosfwd>
#include <span>
#include <string>

namespace tandrel::cli {

/// Prepares the process for one `run`: chooses the code page from the locale,
/// ignores SIGPIPE (writing into a closed pipe then fails with EPIPE, which
/// `run` treats as a quiet end), and lets `run` leave the listing's memory to
/// the process's end instead of freeing it line by line.
void PrepareProcess();

/// Runs the command with `args` (args[0] is the program name), writing the
/// tree to `out` and messages to `err`; returns the exit status: 0 success,
/// 1 depth error, 2 bad usage, 3 write failure.
int run(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace tandrel::cli
