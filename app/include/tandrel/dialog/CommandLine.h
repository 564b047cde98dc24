#pragma once

// The command line of `tandrel`, the dialog program:
//
//     tandrel [FOLDER]     the dialog, opening on FOLDER (made absolute) or on /
//     tandrel --help       the usage text on standard output, no window
//     tandrel --version    the version on standard output, no window
//
// Any other option is a usage error: a message on standard error and status 2.
// `--` ends the options, for a FOLDER that starts with "-". The arguments are
// read before Qt starts, so that --help needs no display; Qt is given no
// arguments of the command line to read.

#include <iosfwd>
#include <string>
#include <vector>

#include "morvash/platform/CString.h"

namespace tandrel::dialog {

/// What the command line asks for.
struct CommandLine {
    enum class Action { Window, Help, Version, UsageError };
    Action action = Action::Window;
    CString folder;     ///< FOLDER made absolute; empty when none was given
    std::string error;  ///< what is wrong, for a usage error
};

/// Reads the arguments that follow the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

/// Runs the program with `argv` (argv[0] is its name): the help or version on
/// `out`, a usage error on `err`, else the dialog until it closes. Returns
/// the exit status: 0, or 2 on a usage error.
int RunProgram(int argc, char* argv[], std::ostream& out, std::ostream& err);

}  // namespace tandrel::dialog
