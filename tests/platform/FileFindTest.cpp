#include "morvash/platform/FileFind.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <set>
#include <string>

#include "TempTree.h"

using morvash::test::TempTree;

namespace {

TEST(FileFind, SubFolderOpensRelativeToItsParentButNeverThroughALink) {
    TempTree tree;
    tree.makeFolder("sub");
    tree.touch("sub/inside");
    tree.link("sub", "link");
    CFileFind parent;
    ASSERT_TRUE(parent.FindFile((tree.root() + "/*.*").c_str()));

    CFileFind child;
    ASSERT_TRUE(child.FindSubFolder(parent, "sub"));
    std::set<std::string> names;
    for (BOOL more = TRUE; more;) {
        more = child.FindNextFile();
        names.insert(std::string(child.FileName()) + (child.IsDirectory() ? "/" : ""));
    }
    EXPECT_EQ(names, std::set<std::string>({"./", "../", "inside"}));
    EXPECT_FALSE(child.FindSubFolder(parent, "link"));
    EXPECT_FALSE(child.FindSubFolder(parent, "sub/inside"));
    EXPECT_FALSE(child.FindSubFolder(parent, "missing"));

    CFileFind lookup;
    ASSERT_TRUE(lookup.FindFile(tree.path("sub").c_str(), CFileFind::Match::Exact));
    EXPECT_FALSE(child.FindSubFolder(lookup, "inside"));  // an exact lookup enumerates nothing
}

// What CFileFind's exact lookup reports, in the shape of FindExact's answer.
struct Found {
    bool found = false;
    platform::EntryDetails details;
};

Found ThroughFileFind(const std::string& path) {
    Found result;
    CFileFind finder;
    result.found = finder.FindFile(path.c_str(), CFileFind::Match::Exact) != FALSE;
    if (result.found) {
        finder.FindNextFile();
        result.details.directory = finder.IsDirectory() != FALSE;
        result.details.length = finder.GetLength();
        finder.GetLastWriteTime(&result.details.lastWrite);
    }
    return result;
}

Found ThroughFindExact(const std::string& path) {
    Found result;
    result.found = platform::FindExact(path.c_str(), result.details);
    return result;
}

std::uint64_t Ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

TEST(FileFind, FindExactAgreesWithTheExactLookup) {
    TempTree tree;
    tree.touch("data.bin", 5'000'000'000);
    tree.setTime("data.bin", 1'083'794'880, 123'456'700);
    tree.makeFolder("dir");
    tree.link("dir", "link");
    tree.setTime("link", 1'000'000'000);
    const std::string deep = tree.makeChain("dir", std::string(250, 'x'), 20);
    ASSERT_GT(tree.path(deep).size(), static_cast<std::size_t>(PATH_MAX));

    struct Case {
        std::string path;
        bool found;
        bool directory;
    };
    const Case cases[] = {
        {tree.path("data.bin"), true, false},
        {tree.path("dir"), true, true},
        {tree.path("link"), true, false},  // the link itself, never what it points to
        {tree.path(deep), true, true},     // longer than PATH_MAX
        {tree.path(deep + "/missing"), false, false},
        {tree.path("missing"), false, false},
        {tree.path("dir") + "/", false, false},  // a path ending in "/" names no entry
        {"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 200));
        const Found exact = ThroughFindExact(c.path);
        const Found finder = ThroughFileFind(c.path);
        ASSERT_EQ(exact.found, c.found);
        ASSERT_EQ(finder.found, c.found);
        if (c.found) {
            EXPECT_EQ(exact.details.directory, c.directory);
            EXPECT_EQ(finder.details.directory, c.directory);
            EXPECT_EQ(exact.details.length, finder.details.length);
            EXPECT_EQ(Ticks(exact.details.lastWrite), Ticks(finder.details.lastWrite));
        }
    }
    platform::EntryDetails data;
    ASSERT_TRUE(platform::FindExact(tree.path("data.bin").c_str(), data));
    EXPECT_EQ(data.length, 5'000'000'000u);
    // 2004-05-05 22:08:00.1234567 UTC, in 100 ns since 1601.
    EXPECT_EQ(Ticks(data.lastWrite), (1'083'794'880 + 11'644'473'600ull) * 10'000'000 + 1'234'567);
    platform::EntryDetails link;
    ASSERT_TRUE(platform::FindExact(tree.path("link").c_str(), link));
    EXPECT_EQ(Ticks(link.lastWrite), (1'000'000'000 + 11'644'473'600ull) * 10'000'000);
    platform::EntryDetails none;
    EXPECT_FALSE(platform::FindExact(nullptr, none));
}

}  // namespace
