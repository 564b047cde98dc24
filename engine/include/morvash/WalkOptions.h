#pragma once

// What a walk may do beyond the engine's classic constructors: leave entries
// out (glob patterns, hidden names, what git ignores, other file systems),
// sort each folder's entries, run on several threads, report progress, be
// stopped early, and tell which folders it could not read. Every field's
// default is the classic walk's behaviour, so `WalkOptions{}` walks exactly
// as CSerchFiles(path, extensions, MAX_SEARCH_DEPTH) does.
//
//     morvash::WalkControl control;            // shared with a progress display
//     morvash::WalkOptions options;
//     options.exclude = {"node_modules/", "*.o"};
//     options.sort = morvash::SortKey::Name;
//     options.control = &control;
//     CSerchFiles walk("/src", "", options);   // another thread may call control.RequestStop()
//     for (const morvash::WalkError& e : walk.WalkErrors()) { ... }

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "morvash/Export.h"

namespace morvash {

/// The order of each folder's entries in the listing.
enum class SortKey {
    None,     ///< the order the file system gives (the classic walk)
    Name,     ///< strcoll in the current locale
    Version,  ///< names as versions, as `ls -v` orders them (GNU filevercmp)
    Size,     ///< largest first (each entry's own lstat)
    MTime,    ///< newest first (each entry's own lstat)
};

/// The kind of a listed entry, as the walk saw it (links are never followed).
enum class EntryType : std::uint8_t { Directory, File, Link, Other };

/// A folder that could not be opened or could not be read to its end, FOLDER
/// itself included (a FOLDER that does not exist gives one, ENOENT; an empty
/// path walks nothing and gives none). A folder that fails part-way keeps the
/// lines of the entries read before the failure.
///
/// With WalkOptions::details, also a folder whose entries could be read but
/// not looked up (a folder that may be read but not entered): one error per
/// such folder, of kind LookUp; its entries are listed, each with a record
/// that was not found.
struct WalkError {
    enum class Kind : std::uint8_t {
        Read,    ///< the folder could not be opened or read
        LookUp,  ///< its entries could not be looked up
    };
    /// The folder's path as the walk built it: FOLDER as given, then "/" and
    /// each name below it.
    std::string path;
    int error = 0;  ///< the errno of the failed open, read or lookup
    Kind kind = Kind::Read;
};

/// What the walk read of one listed entry, when asked to (WalkOptions::details),
/// by one lookup relative to its open folder while that folder was read.
struct EntryDetails {
    std::uint64_t size = 0;         ///< in bytes (a link's own size: its target's length)
    std::int64_t seconds = 0;       ///< last-write time, UTC seconds since 1970-01-01
    std::uint32_t nanoseconds = 0;  ///< and its nanoseconds
    std::uint32_t mode = 0;         ///< kind and permission bits, as POSIX's st_mode
    std::uint32_t links = 0;        ///< hard links to it
    bool found = false;             ///< the lookup succeeded; the rest is 0 otherwise
};

/// What a symbolic link points to, when asked for (WalkOptions::linkTargets).
struct LinkTarget {
    std::string text;        ///< the link's contents, as stored
    bool dangling = true;    ///< nothing exists at the target (or it cannot be reached)
    std::uint32_t mode = 0;  ///< the target's kind and permission bits when not dangling
};

/// Shared between a walk and the threads that watch or stop it: every member
/// may be called from any thread while the walk runs.
class MORVASH_API WalkControl {
  public:
    /// Asks the walk to end as soon as it can; the listing then holds what was
    /// walked so far and CSerchFiles::WalkStopped() tells so.
    void RequestStop() noexcept { stop_.store(true, std::memory_order_relaxed); }
    /// Tells whether a stop was asked for.
    bool StopRequested() const noexcept { return stop_.load(std::memory_order_relaxed); }
    /// Returns the number of entries (files and folders) listed so far.
    std::uint64_t Entries() const noexcept { return entries_.load(std::memory_order_relaxed); }
    /// Returns the number of folders opened for reading so far, the walked one included.
    std::uint64_t Folders() const noexcept { return folders_.load(std::memory_order_relaxed); }

    /// Counts for the walk itself.
    void AddEntries(std::uint64_t n) noexcept { entries_.fetch_add(n, std::memory_order_relaxed); }
    void AddFolder() noexcept { folders_.fetch_add(1, std::memory_order_relaxed); }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> entries_{0};
    std::atomic<std::uint64_t> folders_{0};
};

/// Returns the number of folders a walk reads at once by default: more than
/// the cores, since reading a folder mostly waits for the disk or the network.
MORVASH_API unsigned int DefaultWalkThreads() noexcept;

/// How to walk. The defaults give the classic walk.
///
/// Leaving out: an entry is left out when its name matches `exclude`, when
/// `noHidden` and its name begins with ".", or when `gitignore` and git
/// ignores it; a left-out entry gets no line, is not counted, and a left-out
/// folder is never opened. The extension filter then applies to files as in
/// the classic walk. Sorting reorders the entries of each folder; every
/// folder's subtree still follows its line at once.
struct WalkOptions {
    /// Levels entered below the folder, as the constructors' maxDepth (clamped
    /// to 32): 0 lists the folder's own entries only; folders on the last
    /// level are listed and counted but not entered.
    unsigned int maxDepth = 32;
    /// Leave out entries whose name matches one of these fnmatch patterns
    /// ("*", "?", "[...]"; a leading dot is matched by "*"); a pattern ending
    /// in "/" matches folders only (never a link to one). A pattern is matched
    /// against the name alone, never against a path.
    std::vector<std::string> exclude;
    /// List only the files (and links and others) whose name matches one of
    /// these patterns, matched as `exclude` is; folders are listed whatever
    /// their name. Empty: every file. Applies after `exclude`.
    std::vector<std::string> include;
    /// With `include`: a folder whose name matches a pattern of it has every
    /// entry below it listed, as `tree -P PATTERN --matchdirs` does.
    bool matchDirs = false;
    /// Leave out each folder below which nothing is listed (no file, and no
    /// folder that stays), as `tree --prune`; a folder left out so is not
    /// counted. Its lines go as soon as the walk is done with it.
    bool prune = false;
    /// Leave out entries whose name begins with ".".
    bool noHidden = false;
    /// When the folder lies in a git work tree, leave out ".git" and every
    /// entry that git ignores (.gitignore files at every level, the
    /// repository's info/exclude, core.excludesFile) unless the index tracks
    /// it; a folder that git ignores is still entered, and listed, when the
    /// index tracks files below it, and then only those are listed inside it.
    /// The files listed are those `git ls-files --cached --others
    /// --exclude-standard` lists for the folder (still on disk); a folder that
    /// git does not ignore is listed even when nothing in it is. Outside a
    /// work tree nothing is left out.
    bool gitignore = false;
    /// List and count, but do not enter, folders on another device than the
    /// walked folder (as `du -x`).
    bool oneFileSystem = false;
    /// Compare extensions without regard to the case of ASCII letters; the
    /// filter's other rules are unchanged.
    bool extensionsIgnoreCase = false;
    /// The order of each folder's entries; ties go by name (strcoll).
    SortKey sort = SortKey::None;
    /// Reverse the order, ties included (with SortKey::None, the file
    /// system's order reversed).
    bool reverse = false;
    /// Put folders before files (and links) within each folder, also when
    /// reversed.
    bool dirsFirst = false;
    /// Look each listed entry but folders (see folderDetails) up, without
    /// following a link, while its folder is read, once, relative to the open
    /// folder: CSerchFiles::Details then answers without a second lookup.
    /// Costs one lookup per entry.
    bool details = false;
    /// With `details`, for a front end that shows neither sizes nor times nor
    /// modes: no entry is looked up one by one; each record says found (with
    /// size, time and mode 0), but where its folder's entries cannot be looked
    /// up at all (a folder that may be read but not entered), which one lookup
    /// per folder tells. Ignored when the order needs sizes or times.
    bool presenceOnly = false;
    /// With `details`, folders are looked up too (their modes, for colours);
    /// otherwise a folder's record says found, with the rest 0, unless the
    /// order or oneFileSystem needs its lookup anyway.
    bool folderDetails = false;
    /// Read each listed symbolic link's target, and whether it exists, while
    /// its folder is read: CSerchFiles::GetLinkTarget then answers.
    bool linkTargets = false;
    /// Folders read at once; 0 picks the default (DefaultWalkThreads()), 1
    /// walks on the calling thread alone. The listing is the same for every
    /// count: more readers only read the folders sooner.
    unsigned int threads = 0;
    /// Progress counters and the stop request; may be null.
    WalkControl* control = nullptr;
};

}  // namespace morvash
