#pragma once

// Checks that hold for every listing the engine makes, whatever the folder
// holds, and an independent reference walk to compare a listing with.

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "Guarded.h"

class CSerchFiles;

namespace tandrel::torture {

/// One line of the reference walk, with what the file system says of it.
struct RefEntry {
    std::string line;      ///< the listing line the engine should make
    std::string fullPath;  ///< the entry's real path
    bool statOk = false;   ///< whether lstat succeeded
    struct stat info {};   ///< lstat's answer, when statOk
};

/// Walks `root` with openat/readdir (never following links, folders entered
/// down to depth 32) and returns the lines the engine should make, in order.
std::vector<RefEntry> ReferenceWalk(const std::string& root);

/// Checks the line format and counters of any listing: depth = leading TABs,
/// the first line at depth 0, never deeper than the line before plus one,
/// only a directory line followed by a deeper line, no depth past 32, no
/// control byte in a name, and the marker on exactly m_NumOfDir lines.
Problems CheckListing(CSerchFiles& engine);

/// Compares the listing and every line's details and target path with the
/// reference walk of the same, unchanged tree.
Problems CheckAgainstReference(CSerchFiles& engine, const std::string& root,
                               const std::vector<RefEntry>& reference);

/// Asks for the details of every line; checks what can be checked while the
/// tree changes: a found entry's full path is its target path plus a name.
Problems CheckDetailsWhileChanging(CSerchFiles& engine);

/// Renders the listing with sizes and times, asking the engine for details,
/// and checks that every entry is one line: one line per entry between the
/// root line and the empty line, no CR or LF inside, no TAB but the two
/// column separators of a file line, and the lookup asked once per file line.
Problems CheckRendering(CSerchFiles& engine);

/// Runs `tandrel-cli -s -t root` in-process and checks that it succeeds with
/// one LF-ended line per entry of `engine`'s listing of the same tree, plus
/// the root line, the empty line and the summary, and no CR anywhere.
Problems CheckCommand(const std::string& root, CSerchFiles& engine);

}  // namespace tandrel::torture
