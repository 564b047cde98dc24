#include "tandrel/cli/Run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>
#include <utility>

#include "Options.h"
#include "OutputWriter.h"
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

// Returns 0 when `path` names a folder that can be opened, else the errno.
int FolderError(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

}  // namespace

void PrepareProcess() {
    platform::SelectCodePageFromLocale();
    std::signal(SIGPIPE, SIG_IGN);
    gProcessEndsAfterRun = true;
}

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
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

    // The dialog's check boxes: clearing file names clears extensions too.
    const TreeOptions tree{
        .fileName = !options.dirsOnly,
        .extension = !options.dirsOnly && !options.noExtension,
        .size = options.size,
        .timestamp = options.time,
        .noTreeLines = options.noLines,
        .draw = options.narrow ? DrawStyle::Narrow : DrawStyle::Dialog,
    };
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
        // Worker threads look the files up ahead of the renderer; they end
        // before the engine does.
        const auto prefetch = PrefetchFileInfo(*engine, tree.fileName);
        result = BuildTreeText(
            root.rootLabel, listing, engine->gFc_GetNumOfDir(), engine->gFc_GetNumOfFile(),
            [&prefetch](int index) { return (*prefetch)(index); }, tree, text);
    }
    EndEngine(std::move(engine));
    if (result == BuildResult::DepthError) {
        err << DepthErrorMessage() << '\n';
        return 1;
    }
    errno = 0;
    WriteText(text.view(), options.crlf, out);
    return FinishOutput(out, err);
}

}  // namespace tandrel::cli
