#include "Options.h"

#include <CLI/CLI.hpp>
#include <map>
#include <vector>

#include "morvash/SerchFiles.h"

namespace tandrel::cli {

const std::string_view kHelp =
    R"(Draws FOLDER (default: the current folder) as a tree of box-drawing
connectors, ending with the number of directories and files found.

What is listed:
  -e, --extensions=TEXT  list only the files whose extension (what follows
                         the last ".") is one of the blank-separated tokens
                         of TEXT, e.g. "c h"; an empty token accepts all
  -i, --ignore-case      compare extensions without regard to ASCII case
  -d, --dirs-only        list folders only
  -1, --no-subfolders    list the folder's own entries only
  -L, --max-depth=N      list entries down to N levels below FOLDER (1-32);
                         folders on level N are listed but not entered
  -I, --exclude=GLOB     leave out entries whose name matches GLOB (*, ?,
                         [...]; "*" matches a leading dot), and do not enter
                         such folders; a GLOB ending in "/" matches folders
                         only; may be given many times
      --no-hidden        leave out entries whose name begins with "."
      --gitignore        leave out what git ignores, and .git, when FOLDER
                         lies in a git work tree
      --one-file-system  list, but do not enter, folders on other devices
      --sort=KEY         order each folder's entries by KEY: none (the file
                         system's order, the default), name, version (as
                         ls -v), size (largest first), mtime (newest first)
  -r, --reverse          reverse the order
      --dirs-first       put folders before files within each folder

How it is drawn:
  -x, --no-ext           show file names without their extension
  -s, --size             add each file's size (B, KB, MB in powers of 1000)
  -t, --time             add each file's last-write time (UTC + 9 hours)
  -n, --no-lines         draw every connector and column as blanks
  -f, --full-path        show FOLDER as typed on the first line
      --draw=STYLE       the pieces in front of each entry: dialog (as the
                         dialog's output box), narrow (empty columns as two
                         spaces) or ascii ("|- ", "`- "); narrow and ascii
                         line the size and time columns up with spaces.
                         Default: $TANDREL_DRAW if set, else narrow when
                         standard output is a UTF-8 terminal, else dialog
      --narrow           the same as --draw=narrow
      --crlf             end lines with CR LF, none after the summary line

Output:
      --format=FORMAT    text (the default), markdown (the text in a fenced
                         code block, drawn narrow unless --draw says
                         otherwise) or json (one UTF-8 JSON document)
  -o, --output=FILE      write to FILE, replacing it only once the output is
                         complete; on failure FILE keeps what it held
      --no-progress      show no progress line (shown only on a terminal's
                         standard error, after half a second)
      --threads=N        read N folders, and look N files up, at once (1 to
                         256; 1 reads on one thread). Default:
                         $TANDREL_THREADS if set, else 16: reading mostly
                         waits for the disk or the network, so more threads
                         than cores pay off
  -h, --help             show this help and exit
  -V, --version          show the version and exit

Exit status:
  0  success
  1  a folder lies 32 or more levels deep (nothing is written; use -L N)
  2  bad usage
  3  the output could not be written
  4  some folder could not be read (the rest is written)
)";

std::optional<DrawStyle> DrawStyleNamed(std::string_view name) {
    if (name == "dialog") {
        return DrawStyle::Dialog;
    }
    if (name == "narrow") {
        return DrawStyle::Narrow;
    }
    if (name == "ascii") {
        return DrawStyle::Ascii;
    }
    return std::nullopt;
}

std::optional<std::string> ParseOptions(std::span<const std::string> args, Options& options) {
    CLI::App app;
    app.set_help_flag();
    // A flag takes no value: "--size=false" is a usage error, not a way to clear it.
    app.option_defaults()->disable_flag_override();
    const auto last = CLI::MultiOptionPolicy::TakeLast;
    app.add_option("-e,--extensions", options.extensions)->multi_option_policy(last);
    app.add_flag("-i,--ignore-case", options.ignoreCase);
    app.add_flag("-d,--dirs-only", options.dirsOnly);
    app.add_flag("-x,--no-ext", options.noExtension);
    app.add_flag("-s,--size", options.size);
    app.add_flag("-t,--time", options.time);
    app.add_flag("-n,--no-lines", options.noLines);
    app.add_flag("-f,--full-path", options.fullPath);
    app.add_flag("-1,--no-subfolders", options.noSubfolders);
    app.add_option_function<unsigned int>("-L,--max-depth",
                                          [&options](unsigned int n) { options.levels = n; })
        ->check(CLI::Range(1u, unsigned{MAX_SEARCH_DEPTH}))
        ->multi_option_policy(last);
    app.add_option("-I,--exclude", options.exclude)
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--no-hidden", options.noHidden);
    app.add_flag("--gitignore", options.gitignore);
    app.add_flag("--one-file-system", options.oneFileSystem);
    const std::map<std::string, morvash::SortKey> sortKeys{
        {"none", morvash::SortKey::None},       {"name", morvash::SortKey::Name},
        {"version", morvash::SortKey::Version}, {"size", morvash::SortKey::Size},
        {"mtime", morvash::SortKey::MTime},
    };
    app.add_option("--sort", options.sort)
        ->transform(CLI::CheckedTransformer(sortKeys))
        ->multi_option_policy(last);
    app.add_flag("-r,--reverse", options.reverse);
    app.add_flag("--dirs-first", options.dirsFirst);
    app.add_flag("--crlf", options.crlf);
    app.add_option_function<std::string>(
           "--draw", [&options](const std::string& name) { options.draw = DrawStyleNamed(name); })
        ->check(CLI::IsMember({"dialog", "narrow", "ascii"}))
        ->multi_option_policy(last);
    bool narrow = false;
    app.add_flag("--narrow", narrow);
    const std::map<std::string, OutputFormat> formats{
        {"text", OutputFormat::Text},
        {"markdown", OutputFormat::Markdown},
        {"json", OutputFormat::Json},
    };
    app.add_option("--format", options.format)
        ->transform(CLI::CheckedTransformer(formats))
        ->multi_option_policy(last);
    app.add_option_function<std::string>(
           "-o,--output", [&options](const std::string& file) { options.output = file; })
        ->multi_option_policy(last);
    app.add_flag("--no-progress", options.noProgress);
    app.add_option_function<unsigned int>("--threads",
                                          [&options](unsigned int n) { options.threads = n; })
        ->check(CLI::Range(1u, kMaxThreads))
        ->multi_option_policy(last);
    app.add_flag("-h,--help", options.help);
    app.add_flag("-V,--version", options.version);
    app.add_option("FOLDER", options.folder);

    // CLI11 takes the arguments in reverse order. It reads "--name=" as a
    // missing value and would take the next argument instead, so an empty
    // value is handed over as an argument of its own.
    std::vector<std::string> reversed;
    for (auto arg = args.rbegin(); !args.empty() && arg != args.rend() - 1; ++arg) {
        if (arg->starts_with("--") && arg->find('=') == arg->size() - 1) {
            reversed.emplace_back();
            reversed.push_back(arg->substr(0, arg->size() - 1));
        } else {
            reversed.push_back(*arg);
        }
    }
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return std::string(error.what());
    }
    if (narrow && !options.draw) {
        options.draw = DrawStyle::Narrow;
    }
    return std::nullopt;
}

}  // namespace tandrel::cli
