#include "tandrel/cli/Run.h"

#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "PrefetchLookup.h"
#include "morvash/SerchFiles.h"
#include "platform/CodePage.h"
#include "tandrel/TreeText.h"

namespace tandrel::cli {
namespace {

constexpr std::string_view kName = "tandrel-cli";

// Set by PrepareProcess: `run` is the last thing the process does.
bool gProcessEndsAfterRun = false;
// The engine of such a run, kept until the process ends (and still reachable,
// so leak checkers do not count it).
CSerchFiles* gKeptEngine = nullptr;
constexpr std::string_view kUsage = "Usage: tandrel-cli [OPTION]... [FOLDER]\n";
constexpr std::string_view kHelp =
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

// Parses the arguments after the program name; returns the message of a usage
// error, if any.
std::optional<std::string> Parse(std::span<const std::string> args, Options& options) {
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

// Writes the tree text, built with CR LF line ends and none after the summary,
// either as it is or with LF line ends and a final LF. Conversion goes through
// a block of about a megabyte, so memory stays at the text's own size and the
// output leaves in large writes.
void WriteText(std::string_view text, bool crlf, std::ostream& out) {
    if (crlf) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::string block;
    block.reserve(kBlock + 256);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            block.append(text.substr(start));
            break;
        }
        block.append(text.substr(start, end - start));
        block += '\n';
        start = end + 2;
        if (block.size() >= kBlock) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            if (!out) {
                return;
            }
            block.clear();
        }
    }
    block += '\n';
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

// Flushes `out` and turns its state into the exit status: a closed pipe
// (EPIPE) ends quietly, any other failure is reported.
int Finish(std::ostream& out, std::ostream& err) {
    if (out) {
        out.flush();
    }
    if (out) {
        return 0;
    }
    const int error = errno;
    if (error == EPIPE) {
        return 0;
    }
    err << kName << ": write error";
    if (error != 0) {
        err << ": " << std::strerror(error);
    }
    err << '\n';
    return 3;
}

// Returns 0 when `path` names a folder that can be opened, else the errno.
int FolderError(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

// Tells whether a listing line is a file's: its indent is not followed by
// the directory marker.
bool IsFileLine(std::string_view line) noexcept {
    const std::size_t indent = line.find_first_not_of('\t');
    return indent == std::string_view::npos || line[indent] != '*';
}

// The number of threads that look files up ahead of the renderer: one per
// core, up to four; none on a single core, where they would only take turns
// with it.
unsigned int PrefetchWorkers() noexcept {
    const unsigned int cores = std::thread::hardware_concurrency();
    return cores <= 1 ? 0 : std::min(cores, 4u);
}

}  // namespace

void PrepareProcess() {
    platform::SelectCodePageFromLocale();
    std::signal(SIGPIPE, SIG_IGN);
    gProcessEndsAfterRun = true;
}

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    Options options;
    if (const auto error = Parse(args, options)) {
        err << kName << ": " << *error << '\n' << kUsage;
        err << "Try 'tandrel-cli --help' for more information.\n";
        return 2;
    }
    errno = 0;
    if (options.help) {
        out << kUsage << kHelp;
        return Finish(out, err);
    }
    if (options.version) {
        out << kName << ' ' << TANDREL_VERSION << '\n';
        return Finish(out, err);
    }

    // The dialog's check boxes: clearing file names clears extensions too.
    const BOOL fileName = options.dirsOnly ? FALSE : TRUE;
    const BOOL extension = fileName && !options.noExtension ? TRUE : FALSE;
    const RootFolder root = PrepareRootFolder(CString(options.folder), options.fullPath);

    auto engine = std::make_unique<CSerchFiles>(root.enginePath, options.extensions.c_str(),
                                                options.noSubfolders ? 0 : MAX_SEARCH_DEPTH);
    const CStringArray& listing = *engine->gFc_GetListFiles();
    if (listing.GetSize() == 0) {
        if (const int error = FolderError(root.enginePath); error != 0) {
            err << kName << ": warning: cannot read folder '" << options.folder
                << "': " << std::strerror(error) << '\n';
        }
    }
    CString text;
    BuildResult result = BuildResult::Complete;
    {
        // The details of every file line are computed ahead of the renderer,
        // on as many threads as there are cores (up to four) beside it; the
        // workers end before the engine does.
        CSerchFiles* const walk = engine.get();
        PrefetchLookup prefetch(
            fileName ? listing.GetSize() : 0,
            [&listing](int index) { return IsFileLine(listing[index].view()); },
            [walk](int index) { return walk->gFc_GetFileInfo(index); }, PrefetchWorkers());
        const FileInfoLookup lookup = [&prefetch](int index) { return prefetch(index); };
        result = BuildTreeText(root.rootLabel, listing, engine->gFc_GetNumOfDir(),
                               engine->gFc_GetNumOfFile(), lookup, fileName, extension,
                               options.size, options.time, options.noLines, text,
                               TreeStyle{.narrowBlank = options.narrow});
    }
    if (gProcessEndsAfterRun) {
        // Freeing a listing line by line costs more than the system's taking
        // back the whole heap when the process ends right after.
        delete std::exchange(gKeptEngine, engine.release());
    }
    engine.reset();
    if (result == BuildResult::DepthError) {
        err << DepthErrorMessage() << '\n';
        return 1;
    }
    errno = 0;
    WriteText(text.view(), options.crlf, out);
    return Finish(out, err);
}

}  // namespace tandrel::cli
