#pragma once

// Reading one folder whole: its entries, kept or left out by the selection as
// they come, each looked up once when the walk needs what a lookup gives
// (details, an order by size or time, a device, a kind the read did not
// tell), then put in the listing's order. Readers on several threads read
// folders this way at once; each uses its own FolderEntries and EntryReader.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "morvash/WalkOptions.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {

class Selection;
struct OrderRule;

/// One entry of a folder as read.
struct Entry {
    std::uint32_t name = 0;    ///< offset of its NUL-terminated name in FolderEntries::names
    std::uint32_t length = 0;  ///< of the name
    EntryType type = EntryType::File;
    bool enter : 1 = false;          ///< a folder the walk enters (depth, device)
    bool leftOut : 1 = false;        ///< git leaves it out
    bool ignoredFolder : 1 = false;  ///< git ignores it; entered for its tracked files
    bool allIncluded : 1 = false;    ///< everything below it is listed (its name matched)
    bool lookedUp : 1 = false;       ///< looked up while read (a kind the read did not tell)
    bool unshowable : 1 = false;     ///< its name cannot stand in a line as it is (ShownName.h)
    EntryDetails details;            ///< what its lookup read, when looked up
};

/// A folder's entries, read whole, then put in the listing's order.
struct FolderEntries {
    std::vector<Entry> entries;
    std::string names;
    /// The targets of its links, by entry index (ascending), when asked for.
    std::vector<std::pair<std::uint32_t, LinkTarget>> targets;
    std::vector<std::uint32_t> order;  ///< the listing's order, when sorted
    bool sorted = false;
    bool hasIgnoreFile = false;  ///< it holds an entry ".gitignore"
    bool hasGitEntry = false;    ///< it holds an entry ".git" (a repository's top)
    int error = 0;               ///< of a read that failed part-way
    int lookupError = 0;         ///< of the first lookup that failed but for a vanished entry

    const char* name(const Entry& entry) const { return names.data() + entry.name; }
    /// Returns the entry at position `i` of the listing's order.
    Entry& at(std::size_t i) { return entries[sorted ? order[i] : i]; }
    const Entry& at(std::size_t i) const { return entries[sorted ? order[i] : i]; }
    /// Returns the index of the entry at position `i` of the listing's order.
    std::uint32_t indexAt(std::size_t i) const {
        return sorted ? order[i] : static_cast<std::uint32_t>(i);
    }
};

/// Where a folder lies in the walk.
struct FolderPlace {
    unsigned int depth = 0;    ///< of its entries: 0 for the walked folder's
    bool allIncluded = false;  ///< a folder above it matched an include pattern
};

/// Runs work(begin, end) over the ranges of [0, count), some of them on other
/// threads, and returns once all have run; rethrows what one threw.
class Chunks {
  public:
    using Work = std::function<void(std::size_t begin, std::size_t end)>;
    virtual void Run(std::size_t count, const Work& work) = 0;

  protected:
    ~Chunks() = default;
};

/// What every folder of a walk is read with.
struct ReadRules {
    const Selection& selection;
    const OrderRule& order;
    Chunks* chunks = nullptr;  ///< shares the lookups of a big folder; null: all here
};

/// Reads the folder open as `folder` whole into `out`, keeping what the
/// selection keeps, and puts the entries in the listing's order, marking the
/// folders to enter. Adds the entries kept to the control's count as they are
/// read. False when the walk is to stop.
bool ReadFolder(const platform::Folder& folder, FolderPlace place, const ReadRules& rules,
                platform::EntryReader& reader, FolderEntries& out);

}  // namespace morvash::detail
