#include "tandrel/cli/Run.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>

#include "AtomicOutputFile.h"
#include "ExtensionAdvice.h"
#include "JsonWriter.h"
#include "Options.h"
#include "OutputWriter.h"
#include "ProgressLine.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/PrefetchLookup.h"
#include "tandrel/render/TreeText.h"

namespace tandrel::cli {
namespace {

// Set by PrepareProcess: `run` is the last thing the process does.
bool gProcessEndsAfterRun = false;

// Ends the engine of a run. Freeing a listing line by line costs more than
// the system's taking the whole heap back when the process ends right after
// `run`, so such a process keeps its engine instead, in a global that leaves
// it reachable (leak checkers do not count it). Tests and other callers that
// go on after `run` free it as usual.
void EndEngine(std::unique_ptr<CSerchFiles> engine) {
    static CSerchFiles* kept = nullptr;
    if (gProcessEndsAfterRun) {
        delete std::exchange(kept, engine.release());
    }
}

// A path for a one-line message: control bytes shown as "?", as the listing
// shows them, and runs of "/" as one (the walk joins "/" and a name with one).
std::string Printable(std::string_view path) {
    std::string shown;
    for (const char c : path) {
        if (c == '/' && shown.ends_with('/')) {
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    return shown;
}

// --draw, else (for text) TANDREL_DRAW, else narrow on a UTF-8 terminal and
// the dialog's pieces everywhere else; Markdown is drawn narrow by default.
DrawStyle ChooseDrawStyle(const Options& options, const Console& console, std::ostream& err) {
    if (options.draw) {
        return *options.draw;
    }
    if (options.format == OutputFormat::Markdown) {
        return DrawStyle::Narrow;
    }
    if (const char* named = std::getenv("TANDREL_DRAW"); named != nullptr && *named != '\0') {
        if (const auto style = DrawStyleNamed(named)) {
            return *style;
        }
        err << kName << ": warning: TANDREL_DRAW='" << Printable(named)
            << "' is not dialog, narrow or ascii; ignored\n";
    }
    const bool terminal = console.outIsTerminal && !options.output;
    return terminal && platform::ActiveCodePage() == platform::CodePage::Utf8 ? DrawStyle::Narrow
                                                                              : DrawStyle::Dialog;
}

void WarnAboutExtensions(std::string_view extensions, std::ostream& err) {
    for (const std::string_view token : HopelessTokens(extensions)) {
        std::string meant = MeantExtensions(extensions);
        for (auto quote = meant.find('\''); quote != std::string::npos;
             quote = meant.find('\'', quote + 4)) {
            meant.replace(quote, 1, "'\\''");
        }
        err << kName << ": warning: extension '" << token << "' can match nothing; try -e '"
            << meant << "'\n";
    }
}

// --threads, else TANDREL_THREADS, else 0: the walk's default.
unsigned int ChooseThreads(const Options& options, std::ostream& err) {
    if (options.threads) {
        return *options.threads;
    }
    if (const char* text = std::getenv("TANDREL_THREADS"); text != nullptr && *text != '\0') {
        char* end = nullptr;
        errno = 0;
        const unsigned long count = std::strtoul(text, &end, 10);
        if (*end == '\0' && errno == 0 && count >= 1 && count <= kMaxThreads && *text != '-') {
            return static_cast<unsigned int>(count);
        }
        err << kName << ": warning: TANDREL_THREADS='" << Printable(text)
            << "' is not a number from 1 to " << kMaxThreads << "; ignored\n";
    }
    return 0;
}

morvash::WalkOptions WalkOptionsFor(const Options& options, morvash::WalkControl& control,
                                    unsigned int threads) {
    morvash::WalkOptions walk;
    walk.maxDepth = options.noSubfolders ? 0
                    : options.levels     ? *options.levels - 1
                                         : MAX_SEARCH_DEPTH;
    walk.exclude = options.exclude;
    walk.noHidden = options.noHidden;
    walk.gitignore = options.gitignore;
    walk.oneFileSystem = options.oneFileSystem;
    walk.sort = options.sort;
    walk.reverse = options.reverse;
    walk.dirsFirst = options.dirsFirst;
    walk.extensionsIgnoreCase = options.ignoreCase;
    walk.control = &control;
    walk.threads = threads;
    return walk;
}

// Reports each folder that could not be read; tells whether there was one.
bool ReportWalkErrors(CSerchFiles& engine, const CString& enginePath, std::ostream& err) {
    std::vector<morvash::WalkError> errors = engine.WalkErrors();
    if (enginePath.IsEmpty()) {
        // The walk lists nothing for an empty path and has nothing to report.
        errors.insert(errors.begin(), morvash::WalkError{"", ENOENT});
    }
    for (const morvash::WalkError& error : errors) {
        err << kName << ": cannot read '" << Printable(error.path)
            << "': " << std::strerror(error.error) << '\n';
    }
    return !errors.empty();
}

// Returns the first line that would be shown 32 or more levels deep, or -1.
int FirstTooDeepLine(const CStringArray& listing, bool fileNames) {
    for (int i = 0; i < listing.GetSize(); ++i) {
        const morvash::ListingLine line = morvash::ReadListingLine(listing[i].view());
        if (line.depth >= MAX_SEARCH_DEPTH && (line.directory || fileNames)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

void PrepareProcess() {
    platform::SelectCodePageFromLocale();
    std::signal(SIGPIPE, SIG_IGN);
    gProcessEndsAfterRun = true;
}

Console ProcessConsole() {
    return {.outIsTerminal = ::isatty(STDOUT_FILENO) == 1,
            .errIsTerminal = ::isatty(STDERR_FILENO) == 1};
}

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err,
        const Console& console) {
    Options options;
    if (const auto error = ParseOptions(args, options)) {
        err << kName << ": " << *error << '\n' << kUsage;
        err << "Try 'tandrel-cli --help' for more information.\n";
        return 2;
    }
    errno = 0;
    if (options.help) {
        out << kUsage << kHelp;
        return FinishOutput(out, err);
    }
    if (options.version) {
        out << kName << ' ' << TANDREL_VERSION << '\n';
        return FinishOutput(out, err);
    }
    WarnAboutExtensions(options.extensions, err);

    // The dialog's check boxes: clearing file names clears extensions too.
    const DrawStyle draw = ChooseDrawStyle(options, console, err);
    const TreeOptions tree{
        .fileName = !options.dirsOnly,
        .extension = !options.dirsOnly && !options.noExtension,
        .size = options.size,
        .timestamp = options.time,
        .noTreeLines = options.noLines,
        .draw = draw,
        .alignColumns = draw != DrawStyle::Dialog,
    };
    const RootFolder root = PrepareRootFolder(CString(options.folder), options.fullPath);
    const unsigned int threads = ChooseThreads(options, err);

    std::optional<AtomicOutputFile> file;
    if (options.output) {
        file.emplace(*options.output);
        if (const int error = file->OpenError(); error != 0) {
            err << kName << ": cannot write '" << Printable(*options.output)
                << "': " << std::strerror(error) << '\n';
            return 3;
        }
    }
    std::ostream& sink = file ? file->stream() : out;

    morvash::WalkControl control;
    std::atomic<std::uint64_t> lookedUp{0};
    std::optional<ProgressLine> progress;
    if (console.errIsTerminal && !options.noProgress) {
        progress.emplace(err, control, lookedUp);
    }
    auto engine = std::make_unique<CSerchFiles>(root.enginePath, options.extensions.c_str(),
                                                WalkOptionsFor(options, control, threads));
    const CStringArray& listing = *engine->gFc_GetListFiles();
    const int tooDeep = FirstTooDeepLine(listing, tree.fileName);

    CString text;
    std::string json;
    if (tooDeep < 0) {
        // Worker threads look the files up ahead of the renderer; they end
        // before the engine does.
        const auto prefetch = PrefetchFileInfo(*engine, tree.fileName,
                                               threads == 0   ? DefaultPrefetchWorkers()
                                               : threads == 1 ? 0
                                                              : threads);
        const FileInfoLookup lookup = [&prefetch, &lookedUp](int index) {
            lookedUp.fetch_add(1, std::memory_order_relaxed);
            return (*prefetch)(index);
        };
        if (options.format == OutputFormat::Json) {
            json.reserve(static_cast<std::size_t>(listing.GetSize()) * 64);
            AppendJson(json, root.rootLabel.view(), *engine,
                       {.files = tree.fileName, .size = tree.size, .time = tree.timestamp}, lookup);
        } else {
            BuildTreeText(root.rootLabel, listing, engine->gFc_GetNumOfDir(),
                          engine->gFc_GetNumOfFile(), lookup, tree, text);
        }
    }
    if (progress) {
        progress->Stop();
    }
    const bool unreadable = ReportWalkErrors(*engine, root.enginePath, err);
    if (tooDeep >= 0) {
        const CString folder = engine->gFc_GetTargetPath(tooDeep);
        std::string_view shown = folder.view();
        shown.remove_suffix(shown.ends_with('/') && shown.size() > 1 ? 1 : 0);
        err << kName << ": " << DepthErrorMessage() << '\n'
            << kName << ": first folder too deep: '" << Printable(shown) << "'\n"
            << kName << ": use -L N to stop at N levels\n";
        EndEngine(std::move(engine));
        return 1;
    }
    EndEngine(std::move(engine));

    errno = 0;
    if (options.format == OutputFormat::Json) {
        sink.write(json.data(), static_cast<std::streamsize>(json.size()));
    } else if (options.format == OutputFormat::Markdown) {
        WriteMarkdown(text.view(), options.crlf, sink);
    } else {
        WriteText(text.view(), options.crlf, sink);
    }
    int status = FinishOutput(sink, err);
    if (status == 0 && file) {
        if (const int error = file->Commit(); error != 0) {
            err << kName << ": cannot write '" << Printable(*options.output)
                << "': " << std::strerror(error) << '\n';
            status = 3;
        }
    }
    return status == 0 && unreadable ? 4 : status;
}

}  // namespace tandrel::cli
