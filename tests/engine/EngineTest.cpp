// The engine on small real trees: the filter, the depth limit and what a walk
// leaves open. The torture tests compare whole listings, target paths and
// details with an independent walk.

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>

#include "Listing.h"
#include "TempTree.h"
#include "morvash/platform/CodePage.h"
#include "morvash/platform/ExtensionModule.h"

using morvash::test::TempTree;
using platform::CodePage;
using Names = std::set<std::string>;

// A file is kept when its suffix (after its last "." found by characters) is
// one of the filter's blank-separated tokens, and every file when a token is
// empty; folders always. A blank at the start of the rest makes it one token.
TEST(Walk, FilterKeepsFilesWhoseSuffixIsAToken) {
    const Names all = {"a.txt", "b.TXT", "c.txt.bak", "txt", ".gz", "f.gif", "g.doc", "\x81.txt"};
    TempTree tree;
    for (const std::string& name : all) {
        tree.touch(name);
    }
    tree.makeFolder("sub");
    for (const auto& [page, filter, kept] :
         {std::tuple{CodePage::Utf8, "", all},
          {CodePage::Utf8, "txt", Names{"a.txt", "txt", "\x81.txt"}},
          {CodePage::Utf8, ".txt TXT tx gif", Names{"b.TXT", "f.gif"}},
          {CodePage::Utf8, "gz  bak", Names{".gz", "c.txt.bak"}},
          {CodePage::Utf8, " gif", Names{"f.gif"}},
          {CodePage::Utf8, "gif ", all},
          {CodePage::Cp932, "txt", Names{"a.txt", "txt"}},  // that dot is 0x81's trail byte
          {CodePage::Cp932, "gif\x81 doc", Names{}},        // "\x81 " is one character
          {CodePage::Utf8, "gif\x81 doc", Names{"g.doc"}}}) {
        platform::SetActiveCodePage(page);
        const std::vector<std::string> lines = morvash::test::Walk(tree.root(), filter);
        Names files(lines.begin(), lines.end());
        EXPECT_EQ(files.erase("*sub"), 1u);
        EXPECT_EQ(files, kept) << '"' << filter << '"';
    }
    platform::SetActiveCodePage(CodePage::Utf8);
    CSerchFiles noPath(nullptr, MAX_SEARCH_DEPTH);
    EXPECT_TRUE(morvash::test::Lines(noPath).empty());
}

// In a chain of 40 folders, folders are listed down to the depth asked for,
// at most 32, and none deeper is entered.
TEST(Walk, DepthIsClampedTo32) {
    TempTree tree;
    tree.makeChain("", "n", 40);
    for (const auto& [asked, deepest] :
         {std::pair{0u, 0u}, {1u, 1u}, {7u, 7u}, {32u, 32u}, {33u, 32u}, {UINT_MAX, 32u}}) {
        CSerchFiles walk(tree.root().c_str(), asked);
        const std::vector<std::string> lines = morvash::test::Lines(walk);
        ASSERT_EQ(lines.size(), deepest + 1) << asked;
        EXPECT_EQ(lines.back(), std::string(deepest, '\t') + "*n");
    }
}

TEST(Walk, EveryFolderIsClosedAfterItsWalk) {
    TempTree tree;
    for (int i = 0; i < 40; ++i) {
        tree.makeChain("", morvash::test::Numbered("d", i), 3);
    }
    const long before = morvash::test::OpenFileCount();
    EXPECT_EQ(morvash::test::Walk(tree.root()).size(), 120u);
    EXPECT_EQ(morvash::test::OpenFileCount(), before);
    EXPECT_EQ(AfxCountExtensionModules("Morvash"), 1);
}
