#pragma once

// tandrel-cli's options: what the command line says, its parsing and the help text.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/WalkOptions.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::cli {

inline constexpr std::string_view kName = "tandrel-cli";
inline constexpr std::string_view kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";

/// The help text that follows the usage line.
extern const std::string_view kHelp;

/// What the command writes.
enum class OutputFormat {
    Text,      ///< the tree text
    Markdown,  ///< the tree text in a fenced code block
    Json,      ///< one JSON document of the entries
};

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
    bool help = false;
    bool version = false;

    /// --draw, or --narrow; unset leaves the choice to TANDREL_DRAW and the output.
    std::optional<DrawStyle> draw;
    /// -L: the number of levels listed below the folder (1 to 32).
    std::optional<unsigned int> levels;
    bool ignoreCase = false;
    std::vector<std::string> exclude;
    bool noHidden = false;
    bool gitignore = false;
    bool oneFileSystem = false;
    morvash::SortKey sort = morvash::SortKey::None;
    bool reverse = false;
    bool dirsFirst = false;
    OutputFormat format = OutputFormat::Text;
    /// -o: the file to write instead of standard output.
    std::optional<std::string> output;
    bool noProgress = false;
    /// --threads: folders read (and files looked up) at once; unset leaves it
    /// to TANDREL_THREADS, then to the default.
    std::optional<unsigned int> threads;
};

/// The largest count --threads and TANDREL_THREADS take.
inline constexpr unsigned int kMaxThreads = 256;

/// Parses the arguments after the program name (args[0]) into `options`;
/// returns the message of a usage error, if any.
std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options);

/// Returns the style a name gives ("dialog", "narrow", "ascii"), if it names one.
std::optional<DrawStyle> DrawStyleNamed(std::string_view name);

}  // namespace tandrel::cli
