#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "Listing.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"

using morvash::test::Lines;
using morvash::test::TempTree;
using morvash::test::Walk;

namespace {

TEST(Walk, LinesFollowReaddirOrderDepthFirst) {
    TempTree tree;
    for (int i = 0; i < 12; ++i) {
        std::string name(1, 'f');
        name += std::to_string(i);
        tree.touch(name + ".txt");
    }
    tree.touch(".hidden");
    tree.makeFolder("sub");
    tree.touch("sub/b.txt");
    tree.touch("sub/c.md");
    tree.makeFolder("sub/inner");
    tree.touch("sub/inner/deep");
    std::vector<std::string> expected;
    for (const std::string& name : tree.names()) {
        expected.push_back(name == "sub" ? "*sub" : name);
        for (const std::string& inner :
             name == "sub" ? tree.names("sub") : std::vector<std::string>{}) {
            expected.push_back(inner == "inner" ? "\t*inner" : "\t" + inner);
            if (inner == "inner") {
                expected.push_back("\t\tdeep");
            }
        }
    }
    EXPECT_EQ(Walk(tree.root()), expected);
}

TEST(Walk, EmptyMissingAndNonFolderPathsGiveNothing) {
    TempTree tree;
    tree.makeFolder("empty");
    tree.touch("file");
    for (const std::string& path :
         {tree.path("empty"), tree.path("missing"), tree.path("file"), std::string()}) {
        CSerchFiles walk(path.c_str(), MAX_SEARCH_DEPTH);
        EXPECT_TRUE(Lines(walk).empty()) << path;
        EXPECT_EQ(walk.gFc_GetNumOfDir(), 0u);
        EXPECT_EQ(walk.gFc_GetNumOfFile(), 0u);
    }
}

TEST(Walk, NullPathListsNothingAndNullExtensionsAcceptEverything) {
    CSerchFiles nothing(nullptr, "txt", MAX_SEARCH_DEPTH);
    EXPECT_TRUE(Lines(nothing).empty());
    EXPECT_EQ(nothing.gFc_GetTargetPath(0), "");

    TempTree tree;
    tree.touch("a.txt");
    tree.touch("b.doc");
    CSerchFiles nullFilter(tree.root().c_str(), nullptr, MAX_SEARCH_DEPTH);
    CSerchFiles twoArguments(tree.root().c_str(), MAX_SEARCH_DEPTH);
    EXPECT_EQ(Lines(nullFilter), tree.names());
    EXPECT_EQ(Lines(twoArguments), tree.names());
}

TEST(Walk, FoldersAreListedWhateverTheFilterRejects) {
    TempTree tree;
    tree.makeFolder("docs");
    tree.touch("docs/x.doc");
    tree.makeFolder("empty");
    std::vector<std::string> expected;
    for (const std::string& name : tree.names()) {
        expected.push_back("*" + name);
    }
    CSerchFiles walk(tree.root().c_str(), "txt", MAX_SEARCH_DEPTH);
    EXPECT_EQ(Lines(walk), expected);
    EXPECT_EQ(walk.gFc_GetNumOfDir(), 2u);
    EXPECT_EQ(walk.gFc_GetNumOfFile(), 0u);
}

// A chain of 40 folders with long names, deeper than PATH_MAX in all.
class DepthLimit : public ::testing::Test {
  protected:
    void SetUp() override { tree_.makeChain("", name_, 40); }

    // The chain's lines from depth 0 to `deepest`.
    std::vector<std::string> chain(int deepest) const {
        std::vector<std::string> lines;
        for (int depth = 0; depth <= deepest; ++depth) {
            lines.push_back(std::string(static_cast<std::size_t>(depth), '\t') + "*" + name_);
        }
        return lines;
    }

    TempTree tree_;
    std::string name_ = std::string(130, 'n');
};

TEST_F(DepthLimit, DepthZeroListsOnlyTheRootsOwnEntries) {
    CSerchFiles walk(tree_.root().c_str(), 0);
    EXPECT_EQ(Lines(walk), chain(0));
    EXPECT_EQ(walk.gFc_GetNumOfDir(), 1u);
}

TEST_F(DepthLimit, DepthOneListsFoldersAtDepthOneWithoutEnteringThem) {
    EXPECT_EQ(Walk(tree_.root(), "", 1), chain(1));
    EXPECT_EQ(Walk(tree_.root(), "", 7), chain(7));
}

TEST_F(DepthLimit, ChainOfFortyStopsAtDepth32) {
    for (const unsigned int depth : {32u, 33u, 1000u, UINT_MAX}) {
        CSerchFiles walk(tree_.root().c_str(), depth);
        EXPECT_EQ(Lines(walk), chain(32)) << depth;
        EXPECT_EQ(walk.gFc_GetNumOfDir(), 33u) << depth;
        EXPECT_EQ(walk.gFc_GetNumOfFile(), 0u) << depth;
    }
}

TEST_F(DepthLimit, DeepestFolderIsFoundBeyondPathMax) {
    CSerchFiles walk(tree_.root().c_str(), MAX_SEARCH_DEPTH);
    const CFileInfo deepest = walk.gFc_GetFileInfo(32);
    std::string expected = tree_.root();
    for (int i = 0; i <= 32; ++i) {
        expected += "/" + name_;
    }
    EXPECT_GT(expected.size(), std::size_t{PATH_MAX});
    EXPECT_EQ(deepest.m_FullPath, expected.c_str());
    EXPECT_EQ(deepest.m_FileTitle, name_.c_str());
}

TEST(Walk, SymbolicLinksAreFileLinesNeverEntered) {
    TempTree tree;
    tree.makeFolder("dir");
    tree.touch("dir/inside.txt");
    tree.link("dir", "todir.txt");
    tree.link(".", "loop");
    tree.link("nowhere", "dangling.txt");
    std::vector<std::string> all;
    std::vector<std::string> txt;
    for (const std::string& name : tree.names()) {
        if (name == "dir") {
            all.insert(all.end(), {"*dir", "\tinside.txt"});
            txt.insert(txt.end(), {"*dir", "\tinside.txt"});
        } else {
            all.push_back(name);
            if (name != "loop") {
                txt.push_back(name);
            }
        }
    }
    EXPECT_EQ(Walk(tree.root()), all);
    EXPECT_EQ(Walk(tree.root(), "txt"), txt);
}

TEST(Walk, ControlBytesAndALeadingStarShowAsQuestionMarks) {
    TempTree tree;
    const std::map<std::string, std::vector<std::string>> shown = {
        {"tab\there", {"tab?here"}},
        {"line\nbreak\r", {"line?break?"}},
        {"*star", {"?star"}},
        {"del\x7f", {"del?"}},
        {" blank", {" blank"}},
        {"cr\rdir", {"*cr?dir", "\tin?side"}},
        {"*dirstar", {"**dirstar", "\t?"}},
    };
    for (const auto& [name, lines] : shown) {
        if (lines.size() == 1) {
            tree.touch(name);
        } else {
            tree.makeFolder(name);
        }
    }
    tree.touch("cr\rdir/in\x01side");
    tree.touch("*dirstar/*");
    std::vector<std::string> expected;
    for (const std::string& name : tree.names()) {
        const std::vector<std::string>& lines = shown.at(name);
        expected.insert(expected.end(), lines.begin(), lines.end());
    }
    EXPECT_EQ(Walk(tree.root()), expected);
}

TEST(Walk, UnreadableFolderIsListedEmpty) {
    TempTree tree;
    tree.makeFolder("locked");
    tree.touch("locked/secret");
    tree.makeFolder("open");
    tree.touch("open/seen");
    ASSERT_EQ(::chmod(tree.path("locked").c_str(), 0), 0);
    std::vector<std::string> expected;
    for (const std::string& name : tree.names()) {
        expected.push_back("*" + name);
        if (name == "open") {
            expected.push_back("\tseen");
        }
    }
    // Root reads every folder, so the walk runs in a child that has dropped
    // its rights; the child answers through its exit status.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        if (::access(tree.path("locked").c_str(), R_OK) == 0) {
            ::_exit(3);
        }
        CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
        CSerchFiles direct(tree.path("locked").c_str(), MAX_SEARCH_DEPTH);
        const CStringArray& listing = *walk.gFc_GetListFiles();
        std::vector<std::string> lines;
        for (int i = 0; i < listing.GetSize(); ++i) {
            lines.emplace_back(listing[i].view());
        }
        const bool ok = lines == expected && walk.gFc_GetNumOfDir() == 2 &&
                        walk.gFc_GetNumOfFile() == 1 && direct.gFc_GetListFiles()->GetSize() == 0;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: wrong listing, 2: cannot drop rights, 3: the folder stayed readable";
}

TEST(Walk, Cp932NamesAreSearchedByCharacters) {
    TempTree tree;
    tree.touch("\x81.txt");  // in code page 932 the dot is a trail byte: no suffix
    tree.touch("a.txt");
    tree.touch("b.doc");
    const auto accepted = [&](platform::CodePage page, const char* filter) {
        platform::SetActiveCodePage(page);
        std::vector<std::string> lines = Walk(tree.root(), filter);
        platform::SetActiveCodePage(platform::CodePage::Utf8);
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(accepted(platform::CodePage::Cp932, "txt"), V({"a.txt"}));
    EXPECT_EQ(accepted(platform::CodePage::Utf8, "txt"), V({"a.txt", "\x81.txt"}));
    // "\x81 " is one character in code page 932, so the filter has one token.
    EXPECT_EQ(accepted(platform::CodePage::Cp932, "txt\x81 doc"), V{});
    EXPECT_EQ(accepted(platform::CodePage::Utf8, "txt\x81 doc"), V({"b.doc"}));
}

}  // namespace
