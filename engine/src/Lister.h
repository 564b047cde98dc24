#pragma once

// The listing side of a walk, on the calling thread: each kept entry's line
// in order, the counters, what the walk read of each line (details, link
// targets), the folders that could not be read or looked up, git's rules,
// and the stop.

#include <memory>
#include <string_view>

#include "Walk.h"
#include "morvash/platform/Folder.h"

namespace morvash::detail {

class GitIgnore;
class Selection;
struct Entry;
struct FolderEntries;

class Lister {
  public:
    Lister(const Selection& selection, WalkOutput& out);
    ~Lister();
    Lister(const Lister&) = delete;
    Lister& operator=(const Lister&) = delete;

    /// Opens the walked folder into `root`; false when it cannot be (and the
    /// failure is reported, but for an empty path, which walks nothing).
    bool Start(const char* path, platform::Folder& root);

    /// Tells whether the walk follows git's rules.
    bool Git() const noexcept { return git_ != nullptr; }
    /// Enters the folder `name` (empty for the walked one) in git's rules and
    /// marks the entries git leaves out; LeaveGit() ends it.
    void EnterGit(std::string_view name, bool ignoredFolder, FolderEntries& folder);
    void LeaveGit();

    /// Reports a folder that could not be opened or read.
    void Fail(std::string_view path, int error, WalkError::Kind kind = WalkError::Kind::Read);
    /// Reports what went wrong reading the folder `path` (a read that failed
    /// part-way, entries that could not be looked up).
    void Report(std::string_view path, const FolderEntries& folder);
    /// Counts a folder opened for reading.
    void Entered();
    /// Tells whether the walk is to stop, and from then on stays stopped.
    bool StopNow();
    void Stopped() noexcept { out_.stopped = true; }

    /// Lists the entry at position `i` of `folder`'s order, at `depth`.
    void Add(const FolderEntries& folder, std::size_t i, unsigned int depth);

    /// Where the listing stands: its lines, and its files, so far.
    struct Mark {
        int lines = 0;
        unsigned int files = 0;
    };
    Mark Here() const noexcept;
    /// Takes back the lines listed since `mark` (a folder's line and the
    /// folders below it) when no file was listed since, for
    /// WalkOptions::prune: a folder below which nothing is listed goes as soon
    /// as it is done with.
    void PruneFrom(const Mark& mark);

  private:
    const Selection& selection_;
    WalkOutput& out_;
    std::unique_ptr<GitIgnore> git_;
};

}  // namespace morvash::detail
