#pragma once

// Which entries a walk keeps and which folders it enters: one decision per
// entry from its name and kind (the exclude and include patterns, hidden
// names, the extension filter), and for a folder whether the walk goes in
// (the depth limit, another device). Git's rules, which depend on the folders
// above, are applied by the listing (GitIgnore). Only read while the walk
// runs, so readers on any thread may ask.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "morvash/Export.h"
#include "morvash/WalkOptions.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {

class NamePattern;

/// What the selection says of an entry, by its name and kind.
enum class Verdict : std::uint8_t {
    LeftOut,      ///< no line
    Kept,         ///< a line
    KeptWithAll,  ///< a line, and every entry below it is listed (a folder that matched -P)
};

class MORVASH_API Selection {
  public:
    Selection(std::string_view extensions, const WalkOptions& options);
    ~Selection();
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    /// Decides on the entry `name` of a folder; `allIncluded`: a folder above
    /// it matched an include pattern (with matchDirs).
    Verdict Keep(std::string_view name, EntryType type, bool allIncluded) const;
    /// Tells whether a kept folder on `depth` (its entries' depth) is entered,
    /// given its lookup (null when it was not looked up).
    bool Enters(unsigned int depth, const platform::FileStatus* status) const;
    /// Tells whether the kept entries of this type are looked up one by one.
    bool LooksUp(EntryType type) const noexcept {
        return type == EntryType::Directory ? lookUpFolders_ : lookUpAll_;
    }
    /// Tells whether a folder's entries are only probed, by one lookup, for
    /// whether they can be looked up at all (WalkOptions::presenceOnly).
    bool ProbesPresence() const noexcept { return probe_; }
    /// Tells whether link targets are read.
    bool ReadsLinkTargets() const noexcept { return options_.linkTargets; }
    /// Takes the walked folder's device, for oneFileSystem.
    void SetDevice(const platform::Folder& root);
    /// Tells whether the walk is to stop.
    bool StopRequested() const noexcept {
        return options_.control != nullptr && options_.control->StopRequested();
    }
    /// Counts entries read, for the progress display.
    void CountRead(std::size_t entries) const noexcept {
        if (options_.control != nullptr && entries > 0) {
            options_.control->AddEntries(entries);
        }
    }
    const WalkOptions& options() const noexcept { return options_; }

  private:
    static bool AnyMatches(const std::vector<NamePattern>& patterns, std::string_view name,
                           bool directory);

    const WalkOptions& options_;
    std::string_view extensions_;
    unsigned int maxDepth_;
    bool lookUpAll_;
    bool lookUpFolders_;
    bool probe_;
    std::vector<NamePattern> exclude_;
    std::vector<NamePattern> include_;
    std::uint64_t device_ = 0;  // the walked folder's
};

}  // namespace morvash::detail
