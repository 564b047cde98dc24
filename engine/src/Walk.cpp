#include "Walk.h"

#include <algorithm>

#include "ParallelWalk.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {
namespace {

// Folders read at once when the options leave it to the walk. Reading a
// folder mostly waits: for the disk on a cold cache, for the server on a
// network file system. Sixteen readers keep a disk's queue and a network's
// round trips busy; more win nothing measurable and cost memory.
constexpr unsigned int kDefaultThreads = 16;
// Read folders kept open at once for their subfolders' readers; the others'
// subfolders are opened by their path below the walked folder.
constexpr unsigned int kKeptFolders = 256;
// Descriptors left to the rest of the process when the walk sizes itself to
// the limit of open files: standard streams, an output file, the files git's
// rules are read from, a window's own.
constexpr unsigned long kSpareDescriptors = 16;

// Each reader holds one folder open while it reads, each kept folder one
// more, and the walked folder and the listing's own read one each: the walk
// takes no more than the limit of open files leaves, so that a low limit
// costs speed, never folders.
WalkBudget FitToDescriptors(unsigned int threads) {
    WalkBudget budget{threads - 1, kKeptFolders};
    const unsigned long limit = platform::OpenFileLimit();
    if (limit == 0) {
        return budget;
    }
    const unsigned long free = limit > kSpareDescriptors + 2 ? limit - kSpareDescriptors - 2 : 0;
    budget.readers = static_cast<unsigned int>(std::min<unsigned long>(budget.readers, free / 2));
    budget.kept = static_cast<unsigned int>(
        std::min<unsigned long>(budget.kept, (free - budget.readers) / 2));
    return budget;
}

}  // namespace

void Walk(const char* path, std::string_view extensions, const WalkOptions& options,
          WalkOutput& out) {
    const unsigned int threads = options.threads == 0 ? kDefaultThreads : options.threads;
    WalkInParallel(path, extensions, options, FitToDescriptors(threads), out);
}

}  // namespace morvash::detail

unsigned int morvash::DefaultWalkThreads() noexcept {
    return morvash::detail::kDefaultThreads;
}
