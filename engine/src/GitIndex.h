#pragma once

// The paths git's index tracks, read from the index file itself (formats 2,
// 3 and 4, SHA-1 repositories): only the paths are kept, and nothing is
// checked but the file's layout. A split index (core.splitIndex) holds the
// changes to a shared index, sharedindex.<id> in the same git folder: its
// paths are the shared index's, less those its link extension deletes, and
// its own.

#include <string>
#include <string_view>
#include <vector>

#include "morvash/Export.h"

namespace morvash::detail {

/// Reads the paths of git's index file `data` (format 2, 3 or 4) into `names`,
/// one after the other, and `paths`, sorted views into `names`. False when the
/// file is damaged or split (its entries then partly in another file; see
/// GitIndex). Exported for the engine's tests.
MORVASH_API bool ReadIndexPaths(const std::string& data, std::string& names,
                                std::vector<std::string_view>& paths);

/// The paths the index of one repository tracks.
class MORVASH_API GitIndex {
  public:
    /// Reads the index of the git folder `gitDir` (ending with "/"), a split
    /// one with its shared index. False, and nothing tracked, when the index
    /// is missing or damaged.
    bool Read(const std::string& gitDir);
    /// Tells whether the index holds the path `path`.
    bool Holds(std::string_view path) const;
    /// Tells whether the index holds a path inside the folder `folder`
    /// (ending with "/").
    bool HoldsBelow(std::string_view folder) const;
    /// Returns the paths, sorted.
    const std::vector<std::string_view>& Paths() const noexcept { return paths_; }

  private:
    std::string names_;
    std::vector<std::string_view> paths_;
};

}  // namespace morvash::detail
