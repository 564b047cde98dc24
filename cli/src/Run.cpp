#include "tandrel/cli/Run.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>

#include "ExtensionAdvice.h"
#include "Options.h"
#include "OutputWriter.h"
#include "ProgressLine.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"
#include "morvash/platform/OutputFile.h"
#include "morvash/platform/Signals.h"
#include "morvash/platform/Terminal.h"
#include "tandrel/render/Colors.h"
#include "tandrel/render/Json.h"
#include "tandrel/render/RenderWalk.h"
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

// A path for a one-line message: control bytes shown as "?", and runs of "/" as one (the
// walk joins "/" and a name with one).
std::string Printable(std::string_view path) {
    std::string shown;
    for (const char c : ShownText(path)) {
        if (c != '/' || !shown.ends_with('/')) {
            shown += c;
        }
    }
    return shown;
}

int UsageError(std::string_view message, std::ostream& err) {
    err << kName << ": " << ShownText(message) << '\n' << kTryHelp;
    return kBadUsage;
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

// Colours with --color=always; with auto, on a terminal that NO_COLOR does not
// turn off, for text not drawn as the dialog's; never in JSON.
bool ChooseColor(const Options& options, const Console& console, DrawStyle draw) {
    if (options.format == OutputFormat::Json || options.color == ColorWhen::Never) {
        return false;
    }
    if (options.color == ColorWhen::Always) {
        return true;
    }
    const char* noColor = std::getenv("NO_COLOR");
    return console.outIsTerminal && !options.output && (noColor == nullptr || *noColor == '\0') &&
           draw != DrawStyle::Dialog && options.format == OutputFormat::Text;
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

// A pattern is matched against names, which hold no "/" (a last one marks
// folders only).
void WarnAboutPatterns(const std::vector<std::string>& patterns, std::string_view option,
                       std::ostream& err) {
    for (const std::string& pattern : patterns) {
        if (pattern.find('/') < pattern.size() - 1) {
            err << kName << ": warning: " << option << " '" << ShownText(pattern)
                << "' holds \"/\" and can never match a name (patterns match names, not "
                   "paths)\n";
        }
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
    walk.include = options.include;
    walk.matchDirs = options.matchDirs;
    walk.prune = options.prune;
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

// Reports each folder that could not be read or whose entries could not be
// looked up; tells whether there was one.
bool ReportWalkErrors(CSerchFiles& engine, const CString& enginePath, std::ostream& err) {
    std::vector<morvash::WalkError> errors = engine.WalkErrors();
    if (enginePath.IsEmpty()) {
        // The walk lists nothing for an empty path and has nothing to report.
        errors.insert(errors.begin(), morvash::WalkError{"", ENOENT});
    }
    for (const morvash::WalkError& error : errors) {
        err << kName
            << (error.kind == morvash::WalkError::Kind::LookUp ? ": cannot look up '"
                                                               : ": cannot read '")
            << Printable(error.path) << "': " << std::strerror(error.error) << '\n';
    }
    return !errors.empty();
}

// Tells whether FOLDER itself is not a folder.
bool NotAFolder(CSerchFiles& engine, const CString& enginePath) {
    const std::vector<morvash::WalkError>& errors = engine.WalkErrors();
    return !errors.empty() && errors.front().error == ENOTDIR &&
           errors.front().path == enginePath.view();
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
    platform::IgnoreBrokenPipe();
    gProcessEndsAfterRun = true;
}

Console ProcessConsole() {
    return {.outIsTerminal = platform::IsTerminal(platform::StandardStream::Output),
            .errIsTerminal = platform::IsTerminal(platform::StandardStream::Error)};
}

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err,
        const Console& console) {
    Options options;
    if (const auto error = ParseOptions(args, options)) {
        return UsageError(*error, err);
    }
    errno = 0;
    if (options.help) {
        out << kUsage << HelpText();
        return FinishOutput(out, err);
    }
    if (options.version) {
        out << kName << ' ' << TANDREL_VERSION << '\n';
        return FinishOutput(out, err);
    }
    WarnAboutExtensions(options.extensions, err);
    WarnAboutPatterns(options.exclude, "-I", err);
    WarnAboutPatterns(options.include, "-P", err);

    // The dialog's check boxes: clearing file names clears extensions too.
    const DrawStyle draw = ChooseDrawStyle(options, console, err);
    std::optional<NameColors> colors;
    if (ChooseColor(options, console, draw)) {
        const char* lsColors = std::getenv("LS_COLORS");
        colors.emplace(lsColors != nullptr ? lsColors : "");
    }
    const RenderOptions render{
        .tree = {.fileName = !options.dirsOnly,
                 .extension = !options.dirsOnly && !options.noExtension,
                 .size = options.size,
                 .timestamp = options.time,
                 .noTreeLines = options.noLines,
                 .draw = draw,
                 .alignColumns = draw != DrawStyle::Dialog},
        .sizeUnits = options.sizeUnits,
        .folderSizes = options.du,
        .time = {.local = options.localTime, .format = options.timeFormat.value_or("")},
        .linkTargets =
            options.links || draw != DrawStyle::Dialog || options.format == OutputFormat::Json,
        .colors = colors ? &*colors : nullptr,
    };
    const RootFolder root = PrepareRootFolder(CString(options.folder), options.fullPath);
    const unsigned int threads = ChooseThreads(options, err);

    // Opened before the walk, so that a file that cannot be written is told
    // at once; nothing with a name is made in its folder until it is written.
    std::optional<platform::OutputFile> file;
    if (options.output) {
        file.emplace(*options.output);
        if (const int error = file->OpenError(); error != 0) {
            err << kName << ": cannot write '" << Printable(*options.output)
                << "': " << std::strerror(error) << '\n';
            return kWriteError;
        }
    }
    std::ostream& sink = file ? file->stream() : out;

    morvash::WalkControl control;
    std::optional<ProgressLine> progress;
    if (console.errIsTerminal && !options.noProgress) {
        progress.emplace(err, control);
    }
    morvash::WalkOptions walk = WalkOptionsFor(options, control, threads);
    AskWalkFor(render, walk);
    auto engine = std::make_unique<CSerchFiles>(root.enginePath, options.extensions.c_str(), walk);
    if (NotAFolder(*engine, root.enginePath)) {
        if (progress) {
            progress->Stop();
        }
        EndEngine(std::move(engine));
        // Built by appending: GCC 12 warns falsely about "'" + a string at -O2.
        std::string message = "'";
        message.append(Printable(options.folder)).append("' is not a folder");
        return UsageError(message, err);
    }
    const CStringArray& listing = *engine->gFc_GetListFiles();
    const int tooDeep = FirstTooDeepLine(listing, render.tree.fileName);

    CString text;
    std::string json;
    if (tooDeep < 0) {
        if (options.format == OutputFormat::Json) {
            json.reserve(static_cast<std::size_t>(listing.GetSize()) * 64);
            AppendJson(json, root.rootLabel.view(), *engine, render);
        } else {
            // A line break in FOLDER is shown as names show it.
            RenderWalk(*engine, CString(std::string_view(ShownText(root.rootLabel.view()))), render,
                       text);
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
        return kDepthError;
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
    int status = kSuccess;
    if (file) {
        if (const int error = file->Commit(); error != 0) {
            err << kName << ": cannot write '" << Printable(*options.output)
                << "': " << std::strerror(error) << '\n';
            status = kWriteError;
        }
    } else {
        status = FinishOutput(sink, err);
    }
    return status == kSuccess && unreadable ? kUnreadable : status;
}

}  // namespace tandrel::cli
