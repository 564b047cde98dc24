#include "Options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "morvash/SerchFiles.h"
#include "tandrel/render/Patterns.h"

namespace tandrel::cli {
namespace {

// The declared options, in the help's order. Parse() below gives each its meaning.
constexpr std::array kOptions = {
    DeclaredOption{'e', "extensions", Value::Required, "TEXT"},
    DeclaredOption{'i', "ignore-case", Value::None, ""},
    DeclaredOption{'d', "dirs-only", Value::None, ""},
    DeclaredOption{'1', "no-subfolders", Value::None, ""},
    DeclaredOption{'L', "max-depth", Value::Required, "N"},
    DeclaredOption{'I', "exclude", Value::Required, "GLOB"},
    DeclaredOption{'P', "include", Value::Required, "GLOB"},
    DeclaredOption{'\0', "matchdirs", Value::None, ""},
    DeclaredOption{'\0', "prune", Value::None, ""},
    DeclaredOption{'\0', "no-hidden", Value::None, ""},
    DeclaredOption{'\0', "gitignore", Value::None, ""},
    DeclaredOption{'\0', "one-file-system", Value::None, ""},
    DeclaredOption{'\0', "sort", Value::Required, "KEY"},
    DeclaredOption{'r', "reverse", Value::None, ""},
    DeclaredOption{'\0', "dirs-first", Value::None, ""},
    DeclaredOption{'x', "no-ext", Value::None, ""},
    DeclaredOption{'s', "size", Value::None, ""},
    DeclaredOption{'h', "human", Value::None, ""},
    DeclaredOption{'\0', "si", Value::None, ""},
    DeclaredOption{'\0', "du", Value::None, ""},
    DeclaredOption{'t', "time", Value::None, ""},
    DeclaredOption{'\0', "local-time", Value::None, ""},
    DeclaredOption{'\0', "time-format", Value::Required, "FORMAT"},
    DeclaredOption{'\0', "links", Value::None, ""},
    DeclaredOption{'\0', "color", Value::Optional, "WHEN"},
    DeclaredOption{'n', "no-lines", Value::None, ""},
    DeclaredOption{'f', "full-path", Value::None, ""},
    DeclaredOption{'\0', "draw", Value::Required, "STYLE"},
    DeclaredOption{'\0', "narrow", Value::None, ""},
    DeclaredOption{'\0', "crlf", Value::None, ""},
    DeclaredOption{'\0', "format", Value::Required, "FORMAT"},
    DeclaredOption{'o', "output", Value::Required, "FILE"},
    DeclaredOption{'\0', "no-progress", Value::None, ""},
    DeclaredOption{'\0', "threads", Value::Required, "N"},
    DeclaredOption{'\0', "help", Value::None, ""},
    DeclaredOption{'V', "version", Value::None, ""},
};

template <typename T>
using Named = std::pair<std::string_view, T>;

constexpr std::array<Named<morvash::SortKey>, 5> kSortKeys = {{
    {"name", morvash::SortKey::Name},
    {"version", morvash::SortKey::Version},
    {"size", morvash::SortKey::Size},
    {"mtime", morvash::SortKey::MTime},
    {"none", morvash::SortKey::None},
}};
constexpr std::array<Named<DrawStyle>, 3> kDrawStyles = {{
    {"dialog", DrawStyle::Dialog},
    {"narrow", DrawStyle::Narrow},
    {"ascii", DrawStyle::Ascii},
}};
constexpr std::array<Named<OutputFormat>, 3> kFormats = {{
    {"text", OutputFormat::Text},
    {"markdown", OutputFormat::Markdown},
    {"json", OutputFormat::Json},
}};
constexpr std::array<Named<ColorWhen>, 3> kColorWhens = {{
    {"auto", ColorWhen::Auto},
    {"always", ColorWhen::Always},
    {"never", ColorWhen::Never},
}};

// The number of single-letter edits (one left out, added or changed, or two
// neighbours swapped) that turn `a` into `b`.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = i + j;
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string WithoutHyphens(std::string_view text) {
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != '-'; });
    return kept;
}

// A usage error, thrown inside the parser and returned by ParseOptions.
struct UsageError {
    std::string message;
};

// Reads the command line: each option is handed to `apply` with the name it
// was given as ("-L", "--sort") and its value, each other argument to `operand`.
class Parser {
  public:
    template <typename Apply, typename Operand>
    static void Run(std::span<const std::string> args, Apply apply, Operand operand) {
        bool options = true;
        for (std::size_t k = 0; k < args.size(); ++k) {
            const std::string& arg = args[k];
            if (!options || arg == "-" || !arg.starts_with('-')) {
                operand(arg);
            } else if (arg == "--") {
                options = false;
            } else if (arg.starts_with("--")) {
                const std::size_t equals = arg.find('=');
                const std::string_view name = std::string_view(arg).substr(2, equals - 2);
                const DeclaredOption& option = Long(name, arg.substr(0, equals));
                const std::string typed = "--" + std::string(name);
                if (equals != std::string::npos) {
                    if (option.value == Value::None) {
                        throw UsageError{"option '" + typed + "' takes no value ('" + arg + "')"};
                    }
                    apply(option, typed, std::optional<std::string>(arg.substr(equals + 1)));
                } else if (option.value == Value::Required) {
                    apply(option, typed, std::optional<std::string>(Next(args, k, typed)));
                } else {
                    apply(option, typed, std::optional<std::string>());
                }
            } else {
                for (std::size_t at = 1; at < arg.size(); ++at) {
                    const DeclaredOption& option = Short(arg[at]);
                    const std::string typed = std::string("-") + arg[at];
                    if (option.value == Value::None) {
                        apply(option, typed, std::optional<std::string>());
                        continue;
                    }
                    apply(option, typed,
                          std::optional<std::string>(at + 1 < arg.size() ? arg.substr(at + 1)
                                                                         : Next(args, k, typed)));
                    break;
                }
            }
        }
    }

  private:
    static const DeclaredOption& Long(std::string_view name, const std::string& typed) {
        for (const DeclaredOption& option : kOptions) {
            if (option.longName == name) {
                return option;
            }
        }
        std::vector<std::string_view> names;
        for (const DeclaredOption& option : kOptions) {
            names.push_back(option.longName);
        }
        std::string message = "unknown option '" + typed + "'";
        if (const auto meant = DidYouMean(name, names)) {
            message += "; did you mean '--" + std::string(*meant) + "'?";
        }
        throw UsageError{message};
    }

    static const DeclaredOption& Short(char letter) {
        for (const DeclaredOption& option : kOptions) {
            if (option.shortName == letter && letter != '\0') {
                return option;
            }
        }
        std::string message = "unknown option '-";
        message += letter;
        message += '\'';
        throw UsageError{message};
    }

    static std::string Next(std::span<const std::string> args, std::size_t& k,
                            const std::string& typed) {
        if (k + 1 >= args.size()) {
            throw UsageError{"option '" + typed + "' needs a value"};
        }
        return args[++k];
    }
};

// Returns the value `text` names among `names`, or throws the usage error
// that lists them.
template <typename T, std::size_t N>
T Choose(const std::array<Named<T>, N>& names, const std::string& typed, const std::string& text) {
    std::vector<std::string_view> accepted;
    for (const auto& [name, value] : names) {
        if (name == text) {
            return value;
        }
        accepted.push_back(name);
    }
    std::string message = "invalid value '" + text + "' for " + typed + " (accepted: ";
    for (std::size_t k = 0; k < accepted.size(); ++k) {
        message += (k > 0 ? ", " : "") + std::string(accepted[k]);
    }
    message += ")";
    if (const auto meant = DidYouMean(text, accepted)) {
        message += "; did you mean '" + std::string(*meant) + "'?";
    }
    throw UsageError{message};
}

unsigned int Number(const std::string& typed, const std::string& text, unsigned int low,
                    unsigned int high) {
    unsigned int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        throw UsageError{"invalid value '" + text + "' for " + typed + " (accepted: " +
                         std::to_string(low) + " to " + std::to_string(high) + ")"};
    }
    return value;
}

// Appends each alternative of "a|b" to `patterns`.
void AddAlternatives(std::vector<std::string>& patterns, std::string_view text) {
    for (std::string& pattern : SplitPatterns(text, false)) {
        patterns.push_back(std::move(pattern));
    }
}

// Gives the declared `option`, given as `typed` with the value `given`, its
// meaning in `options`.
void Apply(Options& options, const DeclaredOption& option, const std::string& typed,
           const std::optional<std::string>& given, bool& narrow) {
    const std::string value = given.value_or("");
    const std::string_view name = option.longName;
    if (name == "extensions") {
        options.extensions = value;
    } else if (name == "ignore-case") {
        options.ignoreCase = true;
    } else if (name == "dirs-only") {
        options.dirsOnly = true;
    } else if (name == "no-subfolders") {
        options.noSubfolders = true;
    } else if (name == "max-depth") {
        options.levels = Number(typed, value, 1, MAX_SEARCH_DEPTH);
    } else if (name == "exclude") {
        AddAlternatives(options.exclude, value);
    } else if (name == "include") {
        AddAlternatives(options.include, value);
    } else if (name == "matchdirs") {
        options.matchDirs = true;
    } else if (name == "prune") {
        options.prune = true;
    } else if (name == "no-hidden") {
        options.noHidden = true;
    } else if (name == "gitignore") {
        options.gitignore = true;
    } else if (name == "one-file-system") {
        options.oneFileSystem = true;
    } else if (name == "sort") {
        options.sort = Choose(kSortKeys, typed, value);
    } else if (name == "reverse") {
        options.reverse = true;
    } else if (name == "dirs-first") {
        options.dirsFirst = true;
    } else if (name == "no-ext") {
        options.noExtension = true;
    } else if (name == "size") {
        options.size = true;
    } else if (name == "human") {
        options.size = true;
        options.sizeUnits = SizeUnits::Binary;
    } else if (name == "si") {
        options.size = true;
        options.sizeUnits = SizeUnits::Decimal;
    } else if (name == "du") {
        options.size = true;
        options.du = true;
    } else if (name == "time") {
        options.time = true;
    } else if (name == "local-time") {
        options.time = true;
        options.localTime = true;
    } else if (name == "time-format") {
        options.time = true;
        options.timeFormat = value;
    } else if (name == "links") {
        options.links = true;
    } else if (name == "color") {
        options.color = given ? Choose(kColorWhens, typed, value) : ColorWhen::Always;
    } else if (name == "no-lines") {
        options.noLines = true;
    } else if (name == "full-path") {
        options.fullPath = true;
    } else if (name == "draw") {
        options.draw = Choose(kDrawStyles, typed, value);
    } else if (name == "narrow") {
        narrow = true;
    } else if (name == "crlf") {
        options.crlf = true;
    } else if (name == "format") {
        options.format = Choose(kFormats, typed, value);
    } else if (name == "output") {
        options.output = value;
    } else if (name == "no-progress") {
        options.noProgress = true;
    } else if (name == "threads") {
        options.threads = Number(typed, value, 1, kMaxThreads);
    } else if (name == "help") {
        options.help = true;
    } else if (name == "version") {
        options.version = true;
    }
}

}  // namespace

std::span<const DeclaredOption> DeclaredOptions() {
    return kOptions;
}

std::optional<DrawStyle> DrawStyleNamed(std::string_view name) {
    for (const auto& [styleName, style] : kDrawStyles) {
        if (styleName == name) {
            return style;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> DidYouMean(std::string_view typed,
                                           std::span<const std::string_view> candidates) {
    // Close enough: two edits at most, and fewer than a third of the letters;
    // or the same letters once hyphens are left out. The closest wins, the
    // first given among equals.
    std::optional<std::string_view> best;
    std::size_t bestDistance = 0;
    const std::string plain = WithoutHyphens(typed);
    for (const std::string_view candidate : candidates) {
        const std::size_t distance =
            plain == WithoutHyphens(candidate) ? 0 : EditDistance(typed, candidate);
        const std::size_t allowed = std::min<std::size_t>(2, (candidate.size() + 2) / 3);
        if (distance <= allowed && (!best || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options) {
    bool narrow = false;
    std::optional<std::string> folder;
    try {
        Parser::Run(
            args.empty() ? args : args.subspan(1),
            [&](const DeclaredOption& option, const std::string& typed,
                const std::optional<std::string>& value) {
                Apply(options, option, typed, value, narrow);
            },
            [&](const std::string& operand) {
                if (folder) {
                    throw UsageError{"one FOLDER at most: '" + operand + "' follows '" + *folder +
                                     "'"};
                }
                folder = operand;
            });
        if (options.noSubfolders && options.levels) {
            throw UsageError{"-1 (the folder's own entries) and -L " +
                             std::to_string(*options.levels) +
                             " contradict each other: give one of them"};
        }
    } catch (const UsageError& error) {
        return error.message;
    }
    if (folder) {
        options.folder = *folder;
    }
    if (narrow && !options.draw) {
        options.draw = DrawStyle::Narrow;
    }
    return std::nullopt;
}

}  // namespace tandrel::cli
