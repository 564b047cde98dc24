#include "Options.h"

#include <CLI/CLI.hpp>
#include <vector>

namespace tandrel::cli {

const std::string_view kHelp =
    R"(Draws FOLDER (default: the current folder) as a tree of box-drawing
connectors, ending with the number of directories and files found.

  -e, --extensions=TEXT  list only the files whose extension (what follows
                         the last ".") is one of the blank-separated tokens
                         of TEXT, e.g. "c h"; an empty token accepts all
  -d, --dirs-only        list folders only
  -x, --no-ext           show file names without their extension
  -s, --size             add each file's size (B, KB, MB in powers of 1000)
  -t, --time             add each file's last-write time (UTC + 9 hours)
  -n, --no-lines         draw every connector and column as blanks
  -f, --full-path        show FOLDER as typed on the first line
  -1, --no-subfolders    list the folder's own entries only
      --crlf             end lines with CR LF, none after the summary line
      --narrow           draw empty columns as two spaces, for terminals
                         that show box-drawing characters one column wide
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status: 0 on success, 1 when a folder lies 32 or more levels deep,
2 on bad usage, 3 when the output cannot be written.
)";

std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options) {
    CLI::App app;
    app.set_help_flag();
    // A flag takes no value: "--size=false" is a usage error, not a way to clear it.
    app.option_defaults()->disable_flag_override();
    const auto last = CLI::MultiOptionPolicy::TakeLast;
    app.add_option("-e,--extensions", options.extensions)->multi_option_policy(last);
    app.add_flag("-d,--dirs-only", options.dirsOnly);
    app.add_flag("-x,--no-ext", options.noExtension);
    app.add_flag("-s,--size", options.size);
    app.add_flag("-t,--time", options.time);
    app.add_flag("-n,--no-lines", options.noLines);
    app.add_flag("-f,--full-path", options.fullPath);
    app.add_flag("-1,--no-subfolders", options.noSubfolders);
    app.add_flag("--crlf", options.crlf);
    app.add_flag("--narrow", options.narrow);
    app.add_flag("-h,--help", options.help);
    app.add_flag("-V,--version", options.version);
    app.add_option("FOLDER", options.folder);

    // CLI11 takes the arguments in reverse order. It reads "--extensions="
    // as a missing value and would take the next argument instead, so an
    // empty value is handed over as an argument of its own.
    std::vector<std::string> reversed;
    for (auto arg = args.rbegin(); !args.empty() && arg != args.rend() - 1; ++arg) {
        if (*arg == "--extensions=") {
            reversed.emplace_back();
            reversed.emplace_back("--extensions");
        } else {
            reversed.push_back(*arg);
        }
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

}  // namespace tandrel::cli
