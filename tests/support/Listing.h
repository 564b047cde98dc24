#pragma once

// Reading a finished walk in tests: its lines as std::strings, with the
// counters checked against them. Lines are read with morvash/ListingLine.h,
// the one reading of the listing format.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"

namespace morvash::test {

/// Returns "" when m_NumOfDir is the number of directory lines and
/// m_NumOfFile that of the other lines, else what each counts and should.
inline std::string CounterProblems(CSerchFiles& walk) {
    const CStringArray& listing = *walk.gFc_GetListFiles();
    unsigned int directories = 0;
    for (int i = 0; i < listing.GetSize(); ++i) {
        directories += IsDirectoryLine(listing[i].view()) ? 1 : 0;
    }
    const unsigned int files = static_cast<unsigned int>(listing.GetSize()) - directories;
    const std::string listed = std::to_string(directories) + " + " + std::to_string(files);
    const bool agree = directories == walk.gFc_GetNumOfDir() && files == walk.gFc_GetNumOfFile();
    return agree ? "" : "counters differ from the listing's " + listed + " lines";
}

/// Returns the listing's lines, after checking the counters against them.
inline std::vector<std::string> Lines(CSerchFiles& walk) {
    EXPECT_EQ(CounterProblems(walk), "");
    std::vector<std::string> lines;
    for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
        lines.emplace_back((*walk.gFc_GetListFiles())[i].view());
    }
    return lines;
}

/// Walks `path` and returns its lines (checked as above).
inline std::vector<std::string> Walk(const std::string& path, const char* extensions = "",
                                     unsigned int maxDepth = MAX_SEARCH_DEPTH) {
    CSerchFiles walk(path.c_str(), extensions, maxDepth);
    return Lines(walk);
}

}  // namespace morvash::test
