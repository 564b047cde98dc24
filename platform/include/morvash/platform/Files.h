#pragma once

// Whole-file reads and path resolution, for the callers above the platform
// layer that read small text and index files (git's ignore files and index)
// and need to know where a folder really lies. One implementation per
// operating system, chosen by the build.

#include <string>

#include "morvash/platform/Export.h"

namespace platform {

/// How ReadRegularFile treats a symbolic link at the path itself.
enum class LinkUse {
    Follow,  ///< read the file the link points to
    Refuse,  ///< fail: the link is not read
};

/// Reads the whole regular file at `path` into `text` (emptied first); false
/// when it is missing, is not a regular file, cannot be read, or is a
/// symbolic link and `links` is LinkUse::Refuse.
PLATFORM_API bool ReadRegularFile(const std::string& path, std::string& text,
                                  LinkUse links = LinkUse::Follow);

/// Tells whether anything exists at `path`, following symbolic links.
PLATFORM_API bool Exists(const std::string& path);

/// Returns the absolute path of `path` with every symbolic link, "." and ".."
/// resolved; empty when it cannot be resolved.
PLATFORM_API std::string RealPath(const char* path);

}  // namespace platform
