#include "platform/FileFind.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempTree.h"

using morvash::test::TempTree;

namespace {

// Every name the enumeration yields, with "/" after directories.
std::vector<std::string> Enumerate(const std::string& pattern) {
    std::vector<std::string> names;
    CFileFind finder;
    if (!finder.FindFile(pattern.c_str())) {
        return names;
    }
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        names.push_back(std::string(finder.FileName()) + (finder.IsDirectory() ? "/" : ""));
    }
    return names;
}

TEST(FileFind, EnumeratesInReaddirOrderWithTheDots) {
    TempTree tree;
    tree.makeFolder("sub");
    tree.touch("a.txt");
    tree.link("sub", "link");
    std::vector<std::string> expected;
    for (const std::string& name : tree.names()) {
        expected.push_back(name + (name == "sub" ? "/" : ""));
    }
    std::vector<std::string> found = Enumerate(tree.path("*.*"));
    EXPECT_EQ(std::erase_if(found, [](const std::string& n) { return n == "./" || n == "../"; }),
              2u);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(Enumerate(tree.path("*")).size(), expected.size() + 2);
}

TEST(FileFind, MissingOrPlainFolderCannotBeEnumerated) {
    TempTree tree;
    tree.touch("file");
    EXPECT_TRUE(Enumerate(tree.path("missing/*.*")).empty());
    EXPECT_TRUE(Enumerate(tree.path("file/*.*")).empty());
    EXPECT_TRUE(Enumerate("").empty());
}

TEST(FileFind, ExactLookupFindsOneEntryAsItStands) {
    TempTree tree;
    tree.touch("*");
    tree.touch("archive.tar.gz", 5'000'000'000);
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(tree.path("*").c_str(), CFileFind::Match::Exact));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.FileName(), "*");
    ASSERT_TRUE(finder.FindFile(tree.path("archive.tar.gz").c_str(), CFileFind::Match::Exact));
    finder.FindNextFile();
    EXPECT_EQ(finder.GetFileTitle(), "archive.tar");
    EXPECT_EQ(finder.GetLength(), 5'000'000'000u);
    EXPECT_FALSE(finder.FindFile((tree.root() + "/").c_str(), CFileFind::Match::Exact));
    EXPECT_FALSE(finder.FindFile(tree.path("nothing").c_str(), CFileFind::Match::Exact));
}

TEST(FileFind, PathsBeyondPathMaxWork) {
    TempTree tree;
    const std::string deepest = tree.makeChain("", std::string(200, 'd'), 30);
    ASSERT_GT(tree.path(deepest).size(), 4096u);
    EXPECT_EQ(Enumerate(tree.path(deepest + "/../*.*")).size(), 3u);
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(tree.path(deepest).c_str(), CFileFind::Match::Exact));
    finder.FindNextFile();
    EXPECT_TRUE(finder.IsDirectory());
}

}  // namespace
