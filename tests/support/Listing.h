#pragma once

// Reading a finished walk in tests: its lines as std::strings, with the
// counter invariants checked on every walk that a test reads. Lines are read
// with morvash/ListingLine.h, the one reading of the listing format.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"

namespace morvash::test {

/// Returns the listing's lines, after checking that the line count is the sum
/// of the counters and that exactly m_NumOfDir lines are directory lines.
inline std::vector<std::string> Lines(CSerchFiles& walk) {
    const CStringArray& listing = *walk.gFc_GetListFiles();
    std::vector<std::string> lines;
    unsigned int directories = 0;
    for (int i = 0; i < listing.GetSize(); ++i) {
        lines.emplace_back(listing[i].view());
        directories += IsDirectoryLine(lines.back()) ? 1 : 0;
    }
    EXPECT_EQ(lines.size(), walk.gFc_GetNumOfDir() + walk.gFc_GetNumOfFile());
    EXPECT_EQ(directories, walk.gFc_GetNumOfDir());
    return lines;
}

/// Walks `path` and returns its lines (checked as above).
inline std::vector<std::string> Walk(const std::string& path, const char* extensions = "",
                                     unsigned int maxDepth = MAX_SEARCH_DEPTH) {
    CSerchFiles walk(path.c_str(), extensions, maxDepth);
    return Lines(walk);
}

/// Returns the index of the listing line `line`, failing the test when there is none.
inline int IndexOf(CSerchFiles& walk, std::string_view line) {
    const CStringArray& listing = *walk.gFc_GetListFiles();
    for (int i = 0; i < listing.GetSize(); ++i) {
        if (listing[i].view() == line) {
            return i;
        }
    }
    ADD_FAILURE() << "no line \"" << line << '"';
    return -1;
}

}  // namespace morvash::test
