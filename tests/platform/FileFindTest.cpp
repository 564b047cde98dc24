#include "platform/FileFind.h"

#include <gtest/gtest.h>

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

}  // namespace
