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
#include "morvash/SerchFiles.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {
namespace {

constexpr char kSeparator = '/';
// Entries that the readers may hold, read, before the listing takes them: a
// bound on the memory that reading ahead costs.
constexpr std::size_t kAheadEntries = 1 << 15;
constexpr std::size_t kSpareFolders = 64;

// A read folder kept open while its subfolders wait to be opened below it:
// one name to resolve rather than the whole path from the walked folder.
// Closed when the last of them has been opened.
class KeptFolder {
  public:
    KeptFolder(platform::Folder folder, std::atomic<unsigned int>& count) noexcept
        : folder_(std::move(folder)), count_(count) {}
    ~KeptFolder() { count_.fetch_sub(1, std::memory_order_relaxed); }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;
    const platform::Folder& get() const noexcept { return folder_; }

  private:
    platform::Folder folder_;
    std::atomic<unsigned int>& count_;
};

// One folder of the walk: where it lies, what its reader found.
struct Node {
    std::string path;                    // as built: the walked folder, then "/" and each name
    std::vector<std::uint32_t> key;      // its line's position in each folder above it
    FolderPlace place;                   // its entries' depth; included from above
    bool ignoredFolder = false;          // git ignores it; entered for its tracked files
    std::shared_ptr<KeptFolder> parent;  // its folder, when kept open for it
    // Set by its reader before `ready`; read by the listing after.
    FolderEntries folder;
    int openError = 0;
    bool stopped = false;
    std::exception_ptr failure;
    std::vector<std::unique_ptr<Node>> children;  // the folders it enters, in listing order
    // Guarded by the walk's mutex.
    bool taken = false;
    bool ready = false;

    std::string_view name() const {
        return key.empty() ? std::string_view()
                           : std::string_view(path).substr(path.rfind(kSeparator) + 1);
    }
};

// Which folder the listing needs sooner: the one whose line comes first,
// depth first, so the queue's top is the next folder the listing enters.
struct ListedLater {
    bool operator()(const Node* a, const Node* b) const {
        return std::lexicographical_compare(b->key.begin(), b->key.end(), a->key.begin(),
                                            a->key.end());
    }
};

class ParallelWalker {
  public:
    ParallelWalker(std::string_view extensions, const WalkOptions& options, WalkOutput& out,
                   WalkBudget budget)
        : selection_(extensions, options),
          order_(options),
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
    bool mayTake() const { return !pending_.empty() && ahead_ < kAheadEntries; }
    void await(Node& node);
    void list(Node& node);
    void finish();

    Selection selection_;
    const OrderRule order_;
    Lister lister_;
    const unsigned int workers_;
    const unsigned int keptLimit_;
    platform::Folder root_;
    std::size_t below_ = 0;  // where the path below the walked folder begins

    std::mutex mutex_;
    std::condition_variable work_;   // for readers: a folder to read
    std::condition_variable ready_;  // for the listing: its folder is read
    std::priority_queue<Node*, std::vector<Node*>, ListedLater> pending_;
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
        node.stopped =
            !ReadFolder(top ? root_ : own, node.place, selection_, order_, reader, node.folder);
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
    if (!node.children.empty() && threads_.empty() && !ending_) {
        // The first subfolders to read: start the readers.
        for (unsigned int k = 0; k < workers_; ++k) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // fewer readers still read every folder
            }
        }
    }
    if (ahead_ < kAheadEntries) {
        for (std::size_t k = 0; k < std::min<std::size_t>(node.children.size(), idle_); ++k) {
            work_.notify_one();
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
            return ending_ || mayTake();
        });
        --idle_;
        if (ending_) {
            return;
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
        lister_.Add(node.folder, i, node.place.depth);
        if (!entry.enter) {
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
