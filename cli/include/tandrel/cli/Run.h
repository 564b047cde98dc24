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

/// What the streams given to `run` are shown on.
struct Console {
    bool outIsTerminal = false;  ///< the output goes to a terminal (narrow drawing by default)
    bool errIsTerminal = false;  ///< messages go to a terminal (a progress line on long runs)
};

/// Returns whether the process's standard output and standard error are terminals.
Console ProcessConsole();

/// Runs the command with `args` (args[0] is the program name), writing the
/// tree to `out` and messages to `err`, which `console` describes; returns
/// the exit status: 0 success, 1 depth error, 2 bad usage, 3 write failure,
/// 4 some folder could not be read.
int run(std::span<const std::string> args, std::ostream& out, std::ostream& err,
        const Console& console = {});

}  // namespace tandrel::cli
