#pragma once

// tandrel-cli's options: the declared table, what the command line says, its
// parsing with the command's own messages, and the help text. The table is
// the one list of options: the parser, the "did you mean" hints and the
// checks of the help, the manual page, the completion and the README read it.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/WalkOptions.h"
#include "tandrel/render/RenderWalk.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::cli {

inline constexpr std::string_view kName = "tandrel-cli";
inline constexpr std::string_view kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";
inline constexpr std::string_view kTryHelp = "Try 'tandrel-cli --help' for more information.\n";

/// Returns the help text that follows the usage line.
std::string HelpText();

/// What the command writes.
enum class OutputFormat {
    Text,      ///< the tree text
    Markdown,  ///< the tree text in a fenced code block
    Json,      ///< one JSON document of the entries
};

/// When names are coloured.
enum class ColorWhen {
    Auto,    ///< on a terminal, unless NO_COLOR is set or the drawing is the dialog's
    Always,  ///< whatever the output and the drawing
    Never,
};

/// Whether an option takes a value.
enum class Value {
    None,      ///< a flag
    Required,  ///< "--name=VALUE", "--name VALUE", "-xVALUE" or "-x VALUE"
    Optional,  ///< "--name" or "--name=VALUE" only
};

/// One declared option.
struct DeclaredOption {
    char shortName;             ///< '\0' when it has none
    std::string_view longName;  ///< without the leading "--"
    Value value;
    std::string_view valueName;  ///< "TEXT", "N", ...; empty for a flag
};

/// Returns the declared options, in the help's order.
std::span<const DeclaredOption> DeclaredOptions();

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
    /// -I, each alternative of "a|b" on its own.
    std::vector<std::string> exclude;
    /// -P, the same way.
    std::vector<std::string> include;
    bool matchDirs = false;
    bool prune = false;
    bool noHidden = false;
    bool gitignore = false;
    bool oneFileSystem = false;
    morvash::SortKey sort = morvash::SortKey::Name;
    bool reverse = false;
    bool dirsFirst = false;
    SizeUnits sizeUnits = SizeUnits::Dialog;
    bool du = false;
    bool localTime = false;
    std::optional<std::string> timeFormat;
    bool links = false;
    ColorWhen color = ColorWhen::Auto;
    OutputFormat format = OutputFormat::Text;
    /// -o: the file to write instead of standard output.
    std::optional<std::string> output;
    bool noProgress = false;
    /// --threads: folders read at once; unset leaves it to TANDREL_THREADS,
    /// then to the walk's default.
    std::optional<unsigned int> threads;
};

/// The largest count --threads and TANDREL_THREADS take.
inline constexpr unsigned int kMaxThreads = 256;

/// Parses the arguments after the program name (args[0]) into `options`;
/// returns the one-line message of a usage error, if any.
std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options);

/// Returns the style a name gives ("dialog", "narrow", "ascii"), if it names one.
std::optional<DrawStyle> DrawStyleNamed(std::string_view name);

/// Returns the one of `candidates` that `typed` is most likely a misspelling
/// of (a letter left out, added, changed or two swapped, or hyphens left out),
/// if one is close enough.
std::optional<std::string_view> DidYouMean(std::string_view typed,
                                           std::span<const std::string_view> candidates);

}  // namespace tandrel::cli
