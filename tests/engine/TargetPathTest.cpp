#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "Listing.h"
#include "TempTree.h"

using morvash::test::IndexOf;
using morvash::test::Lines;
using morvash::test::TempTree;

namespace {

std::string Target(CSerchFiles& walk, std::string_view line) {
    return std::string(walk.gFc_GetTargetPath(IndexOf(walk, line)).view());
}

// docs/guide.txt, docs/img/photo.jpg, readme.txt and " sub/x".
class TargetPath : public ::testing::Test {
  protected:
    void SetUp() override {
        tree_.makeFolder("docs");
        tree_.touch("docs/guide.txt");
        tree_.makeFolder("docs/img");
        tree_.touch("docs/img/photo.jpg", 3);
        tree_.touch("readme.txt");
        tree_.makeFolder(" sub");
        tree_.touch(" sub/x");
    }

    void expectTargets(CSerchFiles& walk) const {
        const std::string root = tree_.root();
        EXPECT_EQ(Target(walk, "readme.txt"), root + "/");
        EXPECT_EQ(Target(walk, "*docs"), root + "/");
        EXPECT_EQ(Target(walk, "\tguide.txt"), root + "/docs/");
        EXPECT_EQ(Target(walk, "\t*img"), root + "/docs/");
        EXPECT_EQ(Target(walk, "\t\tphoto.jpg"), root + "/docs/img/");
        EXPECT_EQ(Target(walk, "\tx"), root + "/ sub/");
        const CFileInfo photo = walk.gFc_GetFileInfo(IndexOf(walk, "\t\tphoto.jpg"));
        EXPECT_EQ(photo.m_FullPath, (root + "/docs/img/photo.jpg").c_str());
        EXPECT_EQ(photo.m_Length, 3u);
    }

    TempTree tree_;
};

TEST_F(TargetPath, RootWithoutSeparatorGetsOne) {
    CSerchFiles walk(tree_.root().c_str(), MAX_SEARCH_DEPTH);
    expectTargets(walk);
}

TEST_F(TargetPath, RootWithSeparatorWalksTheSameWithoutDoubling) {
    CSerchFiles plain(tree_.root().c_str(), MAX_SEARCH_DEPTH);
    CSerchFiles slash((tree_.root() + "/").c_str(), MAX_SEARCH_DEPTH);
    EXPECT_EQ(Lines(slash), Lines(plain));
    expectTargets(slash);
}

TEST_F(TargetPath, IndexOutsideTheListingGivesNothing) {
    CSerchFiles walk(tree_.root().c_str(), MAX_SEARCH_DEPTH);
    for (const int index : {-1, walk.gFc_GetListFiles()->GetSize(), INT_MAX}) {
        EXPECT_EQ(walk.gFc_GetTargetPath(index), "");
        EXPECT_EQ(walk.gFc_GetFileInfo(index).m_FullPath, "");
    }
}

TEST(TargetPathRoot, FileSystemRootGetsNoSecondSeparator) {
    CSerchFiles walk("/", 0);
    const int tmp = IndexOf(walk, "*tmp");
    for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
        EXPECT_EQ(walk.gFc_GetTargetPath(i), "/");
    }
    const CFileInfo info = walk.gFc_GetFileInfo(tmp);
    EXPECT_EQ(info.m_FullPath, "/tmp");
    EXPECT_EQ(info.m_FileTitle, "tmp");
}

TEST(TargetPathRelative, RelativeRootStaysRelative) {
    TempTree tree;
    tree.makeFolder("data");
    tree.makeFolder("data/sub");
    tree.touch("data/sub/x.txt", 3);
    char* const previous = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    CSerchFiles walk("data", MAX_SEARCH_DEPTH);
    const CFileInfo info = walk.gFc_GetFileInfo(1);
    ASSERT_EQ(::chdir(previous), 0);
    std::free(previous);

    EXPECT_EQ(Lines(walk), std::vector<std::string>({"*sub", "\tx.txt"}));
    EXPECT_EQ(walk.gFc_GetTargetPath(0), "data/");
    EXPECT_EQ(walk.gFc_GetTargetPath(1), "data/sub/");
    EXPECT_EQ(info.m_FullPath, "data/sub/x.txt");
    EXPECT_EQ(info.m_Length, 3u);
}

}  // namespace
