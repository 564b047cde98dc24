#pragma once

// Folders opened by a walk: reading their entries a batch at a time, looking
// entries up relative to them, opening the folders below them. Nothing is
// ever followed but where a call says so: a folder below another is opened
// only if it is a folder itself (never through a symbolic link), and a lookup
// reads the entry itself (a link's own size and time).
//
//     platform::Folder folder = platform::Folder::Open("/data");
//     platform::EntryReader reader;
//     while (reader.Read(folder)) {
//         for (const platform::DirEntry& entry : reader.Entries()) { ... }
//     }
//     if (reader.Error() != 0) { ... }           // a read that failed part-way
//     platform::Folder sub = folder.OpenSub("docs");
//
// Failures are told by errno values (ENOENT, EACCES, EMFILE, ...), which
// every platform's C library defines.
//
// The descriptors behind these objects are the POSIX implementation's
// business; callers hold Folder objects, which close what they hold.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/platform/Export.h"

namespace platform {

/// The kind of a folder entry. Unknown: the folder's read did not tell (some
/// file systems), a lookup does.
enum class EntryKind : std::uint8_t { Unknown, Directory, File, Link, Other };

/// What a lookup reads of one entry.
struct FileStatus {
    EntryKind kind = EntryKind::Unknown;
    std::uint64_t size = 0;         ///< in bytes
    std::int64_t seconds = 0;       ///< last-write time, UTC seconds since 1970-01-01
    std::uint32_t nanoseconds = 0;  ///< and its nanoseconds
    std::uint32_t mode = 0;         ///< kind and permission bits, as POSIX's st_mode
    std::uint32_t links = 0;        ///< hard links to it
    std::uint64_t device = 0;       ///< the file system that holds it
};

/// One folder, open; closed when the object goes. Move-only.
class PLATFORM_API Folder {
  public:
    Folder() noexcept = default;
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    /// Opens the folder `path` for reading its entries; a link that the path
    /// names is followed, and a path longer than the system takes at once is
    /// opened piece by piece.
    static Folder Open(std::string_view path);
    /// Opens the folder `name` (one NUL-terminated name) inside this one for
    /// reading, never through a symbolic link.
    Folder OpenSub(const char* name) const noexcept;
    /// Opens the folder `relative` ("name/name/...") below this one for
    /// reading, following no symbolic link on the way, as a chain of OpenSub
    /// calls would, but resolving the path at once.
    Folder OpenBelow(std::string_view relative) const;

    /// Tells whether the folder is open.
    bool Valid() const noexcept { return fd_ >= 0; }
    /// Returns the errno of the failed open (0 when open).
    int Error() const noexcept { return error_; }

    /// Looks the entry `name` (one NUL-terminated name) up, without following
    /// a link; false, with errno set, when it cannot be.
    bool LookUp(const char* name, FileStatus& status) const noexcept;
    /// Looks up what the entry `name` leads to, following links; false, with
    /// errno set, when nothing can be reached there.
    bool LookUpTarget(const char* name, FileStatus& status) const noexcept;
    /// Reads the contents of the symbolic link `name`; false, with errno set,
    /// when it is no link or cannot be read.
    bool ReadLink(const char* name, std::string& target) const;
    /// Looks the folder itself up; false, with errno set, when it cannot be.
    bool Status(FileStatus& status) const noexcept;

  private:
    Folder(int fd, int error) noexcept : fd_(fd), error_(error) {}
    friend class EntryReader;

    int fd_ = -1;
    int error_ = 0;
};

/// One entry as a folder's read gives it; the name is valid until the next read.
struct DirEntry {
    const char* name;  ///< NUL-terminated
    std::uint32_t length;
    EntryKind kind;
};

/// Reads the entries of a folder in batches of some hundred, "." and ".."
/// left out, in the order the file system gives them. One reader may read
/// one folder after another.
class PLATFORM_API EntryReader {
  public:
    EntryReader();
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    /// Reads the next batch of `folder`'s entries; false at the end, and on a
    /// failure, which Error() then tells (0 at the end).
    bool Read(const Folder& folder);
    /// Returns the entries of the last batch read.
    std::span<const DirEntry> Entries() const noexcept { return entries_; }
    /// Returns the errno of the read that failed, or 0.
    int Error() const noexcept { return error_; }

  private:
    std::unique_ptr<char[]> buffer_;
    std::vector<DirEntry> entries_;
    int error_ = 0;
};

/// Returns the number of files the process may hold open at once (its
/// current limit), or 0 when the system does not tell.
PLATFORM_API unsigned long OpenFileLimit() noexcept;

}  // namespace platform
