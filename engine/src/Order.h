#pragma once

// The order of a folder's entries in the listing: by the sort key, ties by
// name (the locale's collation, then bytes), reversed on request, folders
// first on request; with no key, the order the file system gave.

#include <string_view>

#include "morvash/WalkOptions.h"

namespace morvash::detail {

struct FolderEntries;

/// How a walk orders each folder: the options' key and flags, and whether the
/// locale collates names byte by byte (C, POSIX, C.UTF-8), taken once at the
/// start of the walk.
struct OrderRule {
    explicit OrderRule(const WalkOptions& options);
    SortKey key;
    bool reverse;
    bool dirsFirst;
    bool bytewise;
};

/// Puts the entries of `folder` in the listing's order (its `order` and
/// `sorted`). Size and time come from the entries' details, looked up while
/// the folder was read.
void Order(FolderEntries& folder, const OrderRule& rule);

/// Compares two names as versions, as `ls -v` orders them: names beginning
/// with "." first; then the names without their suffixes (a run of
/// ".letter[letters, digits or ~]..." at the end) and, when those are equal,
/// the whole names, each compared as Debian compares versions (runs of
/// digits by value, "~" before anything, letters before other bytes).
/// Returns <0, 0 or >0.
int CompareVersions(std::string_view a, std::string_view b) noexcept;

}  // namespace morvash::detail
