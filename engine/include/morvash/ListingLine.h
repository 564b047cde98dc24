#pragma once

// The one reading of a listing line, for every program that reads a listing.
//
// A listing line is: d TABs (d = the entry's depth, 0 for the folder's own
// entries), then "*" on directory lines only, then the entry's name as shown.
// A folder holding the directory docs (with guide.txt and the empty folder
// img inside) and then readme.txt gives:
//
//     "*docs"            depth 0, directory, name "docs"
//     "\tguide.txt"      depth 1, file,      name "guide.txt"
//     "\t*img"           depth 1, directory, name "img"
//     "readme.txt"       depth 0, file,      name "readme.txt"
//
// A name's own leading blanks belong to it: "\t  a" is the file "  a" at
// depth 1. A shown name never holds a control byte, and a file's shown name
// never begins with "*" (the engine writes "?" for such bytes), so every
// line reads back unambiguously.

#include <cstddef>
#include <string_view>

namespace morvash {

/// The byte that begins the name part of a directory line.
inline constexpr char kDirectoryMarker = '*';

/// One listing line, read.
struct ListingLine {
    int depth = 0;           ///< the number of leading TABs
    bool directory = false;  ///< the indent is followed by the directory marker
    std::string_view name;   ///< the name as shown: after the indent and the marker
};

/// Returns the number of TABs `line` begins with: its depth.
constexpr int LineDepth(std::string_view line) noexcept {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

/// Reads `line`: its depth, whether it is a directory line, and its shown name.
constexpr ListingLine ReadListingLine(std::string_view line) noexcept {
    ListingLine read;
    read.depth = LineDepth(line);
    line.remove_prefix(static_cast<std::size_t>(read.depth));
    read.directory = !line.empty() && line.front() == kDirectoryMarker;
    if (read.directory) {
        line.remove_prefix(1);
    }
    read.name = line;
    return read;
}

/// Tells whether `line` is a directory line.
constexpr bool IsDirectoryLine(std::string_view line) noexcept {
    return ReadListingLine(line).directory;
}

}  // namespace morvash
