#pragma once

// CFileFind: the framework's directory enumeration, on POSIX.
//
// FindFile takes either a folder pattern, "<folder>/*.*" (or "<folder>/*"),
// which enumerates every entry of the folder, "." and ".." included, in the
// order readdir yields them; or, with Match::Exact, one path, which is looked
// up as it stands (a final "*" is then an ordinary byte of a name).
//
// Nothing is ever followed or opened but folders being enumerated: an entry is
// a directory only when it is one itself (a symbolic link never is, whatever it
// points to), and an entry's size and time are its own (lstat). The type comes
// from the directory read (getdents64) where the file system gives it, so
// enumerating costs no stat call per entry; size and time are read only when
// asked for.
//
// Paths longer than the kernel's PATH_MAX are opened piece by piece, relative
// to the folders above them, so deep trees work as shallow ones do.

#include <cstdint>
#include <memory>
#include <string_view>

#include "morvash/platform/CString.h"
#include "morvash/platform/Export.h"
#include "morvash/platform/SystemTime.h"
#include "morvash/platform/WinTypes.h"

class PLATFORM_API CFileFind {
  public:
    enum class Match {
        Pattern,  ///< a trailing "/*.*" or "/*" enumerates the folder before it
        Exact,    ///< the name is one path, looked up as it stands
    };

    CFileFind();
    ~CFileFind();
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    /// Starts a search; FALSE when nothing can be enumerated or found.
    BOOL FindFile(const char* name, Match match = Match::Pattern);
    /// Starts enumerating the folder `name` inside the folder that `parent` is
    /// enumerating, opened relative to it (never through a symbolic link), so
    /// the path above it is not resolved again; FALSE as for FindFile.
    BOOL FindSubFolder(const CFileFind& parent, const char* name);
    /// Makes the next entry current; tells whether a further entry follows.
    BOOL FindNextFile();
    /// Ends the search and closes the folder.
    void Close() noexcept;

    /// Returns the current entry's name, without folder part.
    CString GetFileName() const;
    /// Returns the current entry's name in place, valid until the next step;
    /// a NUL byte follows the view.
    std::string_view FileName() const noexcept;
    /// Returns the name up to, not including, its last "."; the whole name without one.
    CString GetFileTitle() const;
    /// Tells whether the current entry is "." or "..".
    BOOL IsDots() const noexcept;
    /// Tells whether the current entry is a directory (never a symbolic link).
    BOOL IsDirectory() const noexcept { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    /// Tests the current entry's attributes against `mask`.
    BOOL MatchesMask(DWORD mask) const noexcept;
    /// Returns the current entry's size in bytes (0 when it cannot be read).
    std::uint64_t GetLength() const;
    /// Reads the current entry's last-write time; FALSE when it cannot be read.
    BOOL GetLastWriteTime(FILETIME* time) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

namespace platform {

/// What an exact lookup reads about one entry.
struct EntryDetails {
    bool directory = false;    ///< a directory itself (never a symbolic link)
    std::uint64_t length = 0;  ///< size in bytes (0 when the system reports none)
    FILETIME lastWrite{};      ///< last-write time
};

/// Looks `path` up as CFileFind::FindFile does with Match::Exact, giving the
/// details that GetLength, GetLastWriteTime and IsDirectory would; false when
/// it names no entry. Allocates nothing unless the path exceeds PATH_MAX.
PLATFORM_API bool FindExact(const char* path, EntryDetails& details);

/// Returns a name's title: the name up to, not including, its last "." (found
/// by characters of the active code page); the whole name when it has none.
PLATFORM_API std::string_view FileTitle(std::string_view name) noexcept;

}  // namespace platform
