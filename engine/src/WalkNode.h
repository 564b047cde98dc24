#pragma once

// What the parallel walk keeps of each folder it reads (Node), the read
// folders it keeps open for their subfolders (KeptFolder), the order in which
// readers take folders (ListedLater), and the lookups of a big folder that
// readers share (SharedLookups).

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FolderRead.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {

inline constexpr char kSeparator = '/';

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

// The lookups of one big folder, shared: the thread that read the folder
// and idle readers take ranges of its entries in turn.
struct SharedLookups {
    SharedLookups(const Chunks::Work& work, std::size_t count) : work(&work), count(count) {}
    const Chunks::Work* work;
    std::size_t count;
    // Guarded by the walk's mutex.
    std::size_t next = 0;      // the first entry no thread has taken
    unsigned int running = 0;  // ranges taken by readers, not yet done
    std::exception_ptr failure;
    std::condition_variable done;
};

}  // namespace morvash::detail
