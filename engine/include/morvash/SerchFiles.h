#pragma once

// Morvash, the listing engine. Constructing a CSerchFiles walks a folder,
// depth first, into a listing: one line per directory and per accepted file,
// in the order readdir yields the entries, each directory's line followed at
// once by the lines of everything inside it. The classic constructors sort
// nothing; WalkOptions (morvash/WalkOptions.h) may sort, leave entries out,
// report progress and stop the walk early.
//
// A listing line is d TABs (the entry's depth, 0 for the folder's own
// entries, at most MAX_SEARCH_DEPTH), "*" on directory lines only, then the
// name; morvash/ListingLine.h documents the format with an example and is the
// one place that reads it.
//
// Every line is one well-formed line whatever the file system holds: a
// control byte in a name (0x01-0x1F, 0x7F: TAB, CR, LF, ...) is shown as "?",
// and so is the "*" that begins a file's name, as `ls -q` shows such bytes.
// The engine keeps the real name, so the two per-line queries still find the
// entry. Symbolic links are never followed: a link is a file line.
//
// The walk reads several folders at once (WalkOptions::threads; the classic
// constructors use the default count) while the calling thread writes the
// lines, so the listing is the same whatever the count.
//
// Paths use "/" as the separator. After construction the object only answers
// questions: the counters, the listing (read in place), and per line the
// folder that holds the entry (gFc_GetTargetPath) and the entry's details
// (gFc_GetFileInfo), each in time
// proportional to the entry's depth. These queries only read the object (they
// keep no cache), so several threads may ask them at once, about the same line
// or different ones, as long as no thread destroys the object meanwhile.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "morvash/Export.h"
#include "morvash/WalkOptions.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CStringArray.h"
#include "morvash/platform/SystemTime.h"

namespace platform {
struct EntryDetails;
}

/// The deepest level at which the walk lists entries; folders there are listed, not entered.
#define MAX_SEARCH_DEPTH 32

/// The details of one listing entry, handed out by value.
///
/// Both strings empty means the entry was not found; the size and the time are
/// then 0 and 1601-01-01 00:00:00.000 (the values of the default constructor).
class MORVASH_API CFileInfo {
  public:
    /// Makes a not-found record: empty strings, size 0, time 1601-01-01 00:00.
    CFileInfo();
    CFileInfo(const CFileInfo& other);
    CFileInfo& operator=(const CFileInfo& other);
    ~CFileInfo();

    CString m_FullPath;         ///< target path followed by the name; empty when not found
    CString m_FileTitle;        ///< name up to its last "." (control bytes shown as "?")
    unsigned int m_Length;      ///< size in bytes, low 32 bits
    SYSTEMTIME m_LastWrite;     ///< last-write time, UTC moved forward by nine hours
    unsigned int m_LengthHigh;  ///< size in bytes, high 32 bits
};

/// Walks one folder into a listing and answers questions about its lines.
class MORVASH_API CSerchFiles {
  public:
    /// Walks `path` accepting every file, down to `maxDepth` (clamped to 32).
    CSerchFiles(const char* path, unsigned int maxDepth);
    /// Walks `path` keeping the files whose suffix matches a blank-separated
    /// token of `extensions` (every file when a token is empty).
    CSerchFiles(const char* path, const char* extensions, unsigned int maxDepth);
    /// Walks `path` as the three-argument constructor does, with the choices of
    /// `options` (exclusions, sorting, threads, progress, stop; see
    /// WalkOptions.h). `WalkOptions{}` gives the same listing as
    /// CSerchFiles(path, extensions, MAX_SEARCH_DEPTH).
    CSerchFiles(const char* path, const char* extensions, const morvash::WalkOptions& options);
    /// Releases the listing, then the root path.
    virtual ~CSerchFiles();
    CSerchFiles(const CSerchFiles&) = delete;
    CSerchFiles& operator=(const CSerchFiles&) = delete;

    /// Returns the number of directory lines.
    unsigned int gFc_GetNumOfDir();
    /// Returns the number of file lines.
    unsigned int gFc_GetNumOfFile();
    /// Returns the listing, owned by this object and valid until it is destroyed.
    CStringArray* gFc_GetListFiles();
    /// Returns the folder path of line `index`, ending with "/" (empty outside the listing).
    /// Only reads the object: may run on several threads at once.
    CString gFc_GetTargetPath(int index);
    /// Looks the entry of line `index` up again (a not-found record outside the listing).
    /// Only reads the object: may run on several threads at once.
    CFileInfo gFc_GetFileInfo(int index);

    /// Returns the folders that could not be opened or read, in the order the
    /// walk met them (every constructor records them).
    const std::vector<morvash::WalkError>& WalkErrors() const noexcept { return errors_; }
    /// Tells whether the walk ended early on its control's stop request.
    bool WalkStopped() const noexcept { return stopped_; }
    /// Returns the kind of the entry on line `index` as the walk saw it
    /// (File outside the listing).
    morvash::EntryType GetEntryType(int index) const noexcept;
    /// Returns the name of line `index` as the file system spells it (control
    /// bytes and all); empty outside the listing.
    std::string_view RealName(int index) const;
    /// Returns the path of the entry on line `index`: its target path and its
    /// real name (empty outside the listing).
    CString FullPath(int index) const;
    /// Returns what the walk read of the entry on line `index` when it was
    /// asked to (WalkOptions::details); null otherwise or outside the listing.
    /// A record whose `found` is false belongs to an entry listed but not
    /// found by its lookup: the front ends give it the missing-file marker.
    const morvash::EntryDetails* Details(int index) const noexcept;
    /// Returns the target of the symbolic link on line `index` when the walk
    /// was asked to read it (WalkOptions::linkTargets); null for any other line.
    const morvash::LinkTarget* GetLinkTarget(int index) const noexcept;

  private:
    // The entry's real name on line `index`, as the file system spells it
    // (a view into the listing or the stored real name).
    std::string_view realName(int index) const;
    // The folder path of line `index` and, with `withName`, its real name after it.
    CString pathOf(int index, bool withName) const;
    // Fills all but the path of `info` for the entry `name` (its real name),
    // found with `details`.
    static void fill(CFileInfo& info, std::string_view name, const platform::EntryDetails& details);
    // Walks `path` and records each line's enclosing directory line.
    void walk(const char* path, const char* extensions, const morvash::WalkOptions& options);

    unsigned int m_NumOfDir;
    unsigned int m_NumOfFile;
    CString m_RootPath;
    CStringArray m_ListFiles;

    std::vector<std::int32_t> parents_;  // enclosing directory line of each line, -1 at depth 0
    std::vector<std::pair<int, CString>> realNames_;  // lines whose shown name differs, by index
    std::vector<morvash::EntryType> types_;           // each line's entry kind
    std::vector<morvash::WalkError> errors_;          // folders that could not be read
    std::vector<morvash::EntryDetails> details_;      // each line's, when the walk read them
    std::vector<std::pair<int, morvash::LinkTarget>> linkTargets_;  // link lines', by index
    bool stopped_ = false;                            // the walk ended on a stop request
};
