#include "ParallelWalk.h"

// The one walk: the calling thread writes the listing, depth first, in each
// folder's order; readers on other threads read the folders it will enter,
// ahead of it, the next needed first. A folder's subfolders are queued as soon
// as it has been read (after the listing has applied git's rules to it, when
// it follows git, so that a folder git leaves out is never opened). Each
// reader opens its folder below its parent folder, which stays open for its
// subfolders while few folders are kept so (KeptFolder), or else by its path
// below the walked folder, with no symbolic link on the way. The calling
// thread reads a folder itself when it needs one that no reader has taken
// yet; with no readers it reads every folder so, one after the other.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <queue>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "FolderRead.h"
#include "Lister.h"
#include "Order.h"
#include "Selection.h"
#include "WalkNode.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {
namespace {

// Entries that the readers may hold, read, before the listing takes them: a
// bound on the memory that reading ahead costs.
constexpr std::size_t kAheadEntries = 1 << 15;
constexpr std::size_t kSpareFolders = 64;
// Entries of a big folder looked up by one thread at a time: the lookups of a
// folder of more than two such ranges are shared with the readers.
constexpr std::size_t kLookupRange = 512;

class ParallelWalker : private Chunks {
  public:
    ParallelWalker(std::string_view extensions, const WalkOptions& options, WalkOutput& out,
                   WalkBudget budget)
        : selection_(extensions, options),
          order_(options),
          rules_{selection_, order_, this},
          prune_(options.prune),
          lister_(selection_, out),
          workers_(budget.readers),
          keptLimit_(budget.kept) {}

    void Run(const char* path);

  private:
    // Ends the readers before the folders they read go.
    struct Join {
        ParallelWalker& walk;
        ~Join() { walk.finish(); }
    };

    void work();
    // Shares the lookups of a big folder with the idle readers.
    void Run(std::size_t count, const Work& work) override;
    // Under `lock`: runs one range of `shared`, the lock released meanwhile.
    void runRange(SharedLookups& shared, std::unique_lock<std::mutex>& lock);
    void read(Node& node, platform::EntryReader& reader);
    // Opens the folder of `node`, waiting for descriptors that the walk's
    // other readers hold when the process has none left.
    platform::Folder open(Node& node);
    // Makes the nodes of the subfolders `node` enters; `open`, when given, is
    // the folder, which it may take to keep for them.
    void makeChildren(Node& node, platform::Folder* open);
    // Under the lock: `node` is read; queue its subfolders.
    void done(Node& node);
    // Under the lock: queues the subfolders of `node` for the readers.
    void queue(Node& node);
    // Under the lock: starts the readers, unless they run.
    void startReaders();
    bool mayTake() const { return !pending_.empty() && ahead_ < kAheadEntries; }
    void await(Node& node);
    void list(Node& node);
    void finish();

    Selection selection_;
    const OrderRule order_;
    const ReadRules rules_;
    const bool prune_;
    Lister lister_;
    const unsigned int workers_;
    const unsigned int keptLimit_;
    platform::Folder root_;
    std::size_t below_ = 0;  // where the path below the walked folder begins

    std::mutex mutex_;
    std::condition_variable work_;   // for readers: a folder to read
    std::condition_variable ready_;  // for the listing: its folder is read
    std::priority_queue<Node*, std::vector<Node*>, ListedLater> pending_;
    std::vector<SharedLookups*> lookups_;       // big folders' lookups with ranges left
    const Node* awaited_ = nullptr;             // the folder the listing waits for
    std::size_t ahead_ = 0;                     // entries read that the listing has not taken
    unsigned int idle_ = 0;                     // readers waiting for work
    bool full_ = false;                         // a reader waits for the listing to take entries
    std::atomic<unsigned int> keptFolders_{0};  // read folders kept open for their subfolders
    std::atomic<unsigned int> reading_{0};      // folders being read right now
    bool ending_ = false;
    std::vector<std::thread> threads_;
    // Folders the listing is done with, kept with their capacity for readers
    // to fill again: fewer allocations, and none freed by another thread.
    std::vector<FolderEntries> spare_;
    platform::EntryReader reader_;  // the listing's own
};

void ParallelWalker::Run(const char* path) {
    if (!lister_.Start(path, root_)) {
        return;
    }
    selection_.SetDevice(root_);
    below_ = std::strlen(path) + 1;
    Node top;
    top.path = path;
    const Join join{*this};
    top.taken = true;
    read(top, reader_);
    {
        const std::lock_guard lock(mutex_);
        done(top);
    }
    await(top);
    list(top);
}

platform::Folder ParallelWalker::open(Node& node) {
    for (int attempt = 0;; ++attempt) {
        // Its name ends its path, so a NUL follows it.
        platform::Folder folder = node.parent ? node.parent->get().OpenSub(node.name().data())
                                              : root_.OpenBelow(node.path.substr(below_));
        const int error = folder.Error();
        // Out of descriptors while other readers hold some: they close theirs
        // once read. The limit was taken into account at the start, but the
        // rest of the process may have opened files since.
        if ((error != EMFILE && error != ENFILE) || attempt >= 1000 ||
            reading_.load(std::memory_order_relaxed) <= 1) {
            return folder;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void ParallelWalker::read(Node& node, platform::EntryReader& reader) {
    reading_.fetch_add(1, std::memory_order_relaxed);
    try {
        const bool top = node.key.empty();
        platform::Folder own;
        if (!top) {
            own = open(node);
            node.parent.reset();  // may close it
            if (!own.Valid()) {
                node.openError = own.Error();
                reading_.fetch_sub(1, std::memory_order_relaxed);
                return;
            }
        }
        node.stopped = !ReadFolder(top ? root_ : own, node.place, rules_, reader, node.folder);
        if (!lister_.Git()) {
            makeChildren(node, top ? nullptr : &own);
        }
    } catch (...) {
        node.failure = std::current_exception();
    }
    reading_.fetch_sub(1, std::memory_order_relaxed);
}

void ParallelWalker::makeChildren(Node& node, platform::Folder* open) {
    if (node.stopped) {
        return;
    }
    std::shared_ptr<KeptFolder> kept;
    const std::size_t count = node.folder.entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& entry = node.folder.at(i);
        if (!entry.enter || entry.leftOut) {
            continue;
        }
        // The first subfolder decides: the folder is kept for them while
        // fewer than keptLimit_ are, so that descriptors stay few.
        if (open != nullptr && open->Valid()) {
            if (keptFolders_.fetch_add(1, std::memory_order_relaxed) < keptLimit_) {
                kept = std::make_shared<KeptFolder>(std::move(*open), keptFolders_);
            } else {
                keptFolders_.fetch_sub(1, std::memory_order_relaxed);
            }
            open = nullptr;
        }
        auto child = std::make_unique<Node>();
        child->parent = kept;
        child->path.reserve(node.path.size() + 1 + entry.length);
        child->path.append(node.path)
            .append(1, kSeparator)
            .append(node.folder.name(entry), entry.length);
        child->key.reserve(node.key.size() + 1);
        child->key = node.key;
        child->key.push_back(static_cast<std::uint32_t>(i));
        child->place = {node.place.depth + 1, entry.allIncluded};
        child->ignoredFolder = entry.ignoredFolder;
        node.children.push_back(std::move(child));
    }
}

void ParallelWalker::done(Node& node) {
    node.ready = true;
    ahead_ += node.folder.entries.size();
    queue(node);
    if (&node == awaited_) {
        ready_.notify_one();
    }
}

void ParallelWalker::queue(Node& node) {
    for (const std::unique_ptr<Node>& child : node.children) {
        pending_.push(child.get());
    }
    if (node.children.empty()) {
        return;
    }
    startReaders();
    if (ahead_ < kAheadEntries) {
        for (std::size_t k = 0; k < std::min<std::size_t>(node.children.size(), idle_); ++k) {
            work_.notify_one();
        }
    } else if (idle_ > 0) {
        full_ = true;  // idle readers now wait for room, which the listing makes and tells
    }
}

void ParallelWalker::startReaders() {
    // Readers start with the first work for them (subfolders to read, or a
    // big folder's lookups): a walk of a few small folders needs none.
    if (!threads_.empty() || ending_) {
        return;
    }
    for (unsigned int k = 0; k < workers_; ++k) {
        try {
            threads_.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break;  // fewer readers still read every folder
        }
    }
}

void ParallelWalker::work() {
    platform::EntryReader reader;
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        work_.wait(lock, [this] {
            full_ = full_ || (!pending_.empty() && ahead_ >= kAheadEntries);
            return ending_ || !lookups_.empty() || mayTake();
        });
        --idle_;
        if (ending_) {
            return;
        }
        if (!lookups_.empty()) {
            runRange(*lookups_.back(), lock);
            continue;
        }
        Node& node = *pending_.top();
        pending_.pop();
        node.taken = true;
        if (!spare_.empty()) {
            node.folder = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        read(node, reader);
        lock.lock();
        done(node);
    }
}

void ParallelWalker::Run(std::size_t count, const Work& work) {
    if (workers_ == 0 || count <= 2 * kLookupRange) {
        work(0, count);
        return;
    }
    SharedLookups shared(work, count);
    std::unique_lock lock(mutex_);
    lookups_.push_back(&shared);
    startReaders();
    work_.notify_all();
    while (shared.next < count) {
        const std::size_t begin = shared.next;
        const std::size_t end = std::min(count, begin + kLookupRange);
        shared.next = end;
        if (end == count) {
            std::erase(lookups_, &shared);
        }
        lock.unlock();
        work(begin, end);
        lock.lock();
    }
    shared.done.wait(lock, [&shared] { return shared.running == 0; });
    if (shared.failure) {
        std::rethrow_exception(shared.failure);
    }
}

void ParallelWalker::runRange(SharedLookups& shared, std::unique_lock<std::mutex>& lock) {
    const std::size_t begin = shared.next;
    const std::size_t end = std::min(shared.count, begin + kLookupRange);
    shared.next = end;
    if (end == shared.count) {
        std::erase(lookups_, &shared);
    }
    ++shared.running;
    lock.unlock();
    std::exception_ptr failure;
    try {
        (*shared.work)(begin, end);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    if (failure && !shared.failure) {
        shared.failure = failure;
    }
    if (--shared.running == 0) {
        shared.done.notify_one();
    }
}

void ParallelWalker::await(Node& node) {
    std::unique_lock lock(mutex_);
    while (!node.ready) {
        // Read it here when no reader has it yet; while a reader has it, read
        // the next folder needed rather than wait.
        Node* next = !node.taken ? &node : mayTake() ? pending_.top() : nullptr;
        if (next == nullptr) {
            awaited_ = &node;
            ready_.wait(lock, [&node] { return node.ready; });
            awaited_ = nullptr;
            break;
        }
        // The listing needs the folders in order, so one it needs and no
        // reader has is the first in the queue.
        pending_.pop();
        next->taken = true;
        lock.unlock();
        read(*next, reader_);
        lock.lock();
        done(*next);
    }
    ahead_ -= node.folder.entries.size();
    if (full_ && ahead_ < kAheadEntries / 2) {
        // Readers held back by the bound go on once there is room for many
        // folders, not for each folder taken.
        full_ = false;
        work_.notify_all();
    }
    lock.unlock();
    if (node.failure) {
        std::rethrow_exception(node.failure);
    }
}

void ParallelWalker::list(Node& node) {
    if (node.stopped) {
        lister_.Stopped();
        return;
    }
    lister_.Report(node.path, node.folder);
    struct LeaveGit {
        Lister& lister;
        ~LeaveGit() { lister.LeaveGit(); }
    } leaveGit{lister_};
    if (lister_.Git()) {
        lister_.EnterGit(node.name(), node.ignoredFolder, node.folder);
        makeChildren(node, nullptr);
        const std::lock_guard lock(mutex_);
        queue(node);
    }
    std::size_t next = 0;
    const std::size_t count = node.folder.entries.size();
    for (std::size_t i = 0; i < count && !lister_.StopNow(); ++i) {
        const Entry& entry = node.folder.at(i);
        if (entry.leftOut) {
            continue;
        }
        const Lister::Mark mark = lister_.Here();
        lister_.Add(node.folder, i, node.place.depth);
        if (!entry.enter) {
            if (prune_ && entry.type == EntryType::Directory) {
                lister_.PruneFrom(mark);
            }
            continue;
        }
        Node& child = *node.children[next];
        await(child);
        if (child.openError != 0) {
            lister_.Fail(child.path, child.openError);
        } else {
            lister_.Entered();
            list(child);
        }
        if (prune_) {
            lister_.PruneFrom(mark);
        }
        if (!lister_.StopNow()) {
            // Every folder below it has been listed: none is queued or being read.
            const std::lock_guard lock(mutex_);
            if (spare_.size() < kSpareFolders) {
                spare_.push_back(std::move(child.folder));
            }
            node.children[next].reset();
        }
        ++next;
    }
}

void ParallelWalker::finish() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

}  // namespace

void WalkInParallel(const char* path, std::string_view extensions, const WalkOptions& options,
                    WalkBudget budget, WalkOutput& out) {
    ParallelWalker(extensions, options, out, budget).Run(path);
}

}  // namespace morvash::detail
