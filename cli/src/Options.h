#pragma once

// tandrel-cli's options: what the command line says, its parsing and the help text.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tandrel::cli {

inline constexpr std::string_view kName = "tandrel-cli";
inline constexpr std::string_view kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";

/// The help text that follows the usage line.
extern const std::string_view kHelp;

/// The command line, read. Each option starts from the dialog's opening state.
struct Options {
    std::string extensions;
    std::string folder = ".";
    bool dirsOnly = false;
    bool noExtension = false;
    bool size = false;
    bool time = false;
    bool noLines = false;
    bool fullPath = false;
    bool noSubfolders = false;
    bool crlf = false;
    bool narrow = false;
    bool help = false;
    bool version = false;
};

/// Parses the arguments after the program name (args[0]) into `options`;
/// returns the message of a usage error, if any.
std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options);

}  // namespace tandrel::cli
