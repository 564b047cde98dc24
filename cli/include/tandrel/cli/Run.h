#pragma once

// tandrel-cli: the tree text of the Tandrel dialog, for terminals and scripts.
// `main` prepares the process and hands its arguments and standard streams to
// `run`, so that tests drive the whole command in-process with string streams.

#include <iosfwd>
#include <span>
#include <string>

namespace tandrel::cli {

/// The command's exit statuses.
enum ExitStatus : int {
    kSuccess = 0,
    kDepthError = 1,  ///< a folder lies 32 or more levels deep; nothing is written
    kBadUsage = 2,    ///< a usage error, or FOLDER is not a folder
    kWriteError = 3,  ///< the output could not be written
    kUnreadable = 4,  ///< some folder could not be read or its entries looked up
};

/// Prepares the process for one `run`: chooses the code page from the locale,
/// ignores SIGPIPE (writing into a closed pipe then fails with EPIPE, which
/// `run` treats as a quiet end), and lets `run` leave the listing's memory to
/// the process's end instead of freeing it line by line.
void PrepareProcess();

/// What the streams given to `run` are shown on.
struct Console {
    bool outIsTerminal = false;  ///< the output goes to a terminal (narrow drawing, colours)
    bool errIsTerminal = false;  ///< messages go to a terminal (a progress line on long runs)
};

/// Returns whether the process's standard output and standard error are terminals.
Console ProcessConsole();

/// Runs the command with `args` (args[0] is the program name), writing the
/// tree to `out` and messages to `err`, which `console` describes; returns
/// an ExitStatus.
int run(std::span<const std::string> args, std::ostream& out, std::ostream& err,
        const Console& console = {});

}  // namespace tandrel::cli
