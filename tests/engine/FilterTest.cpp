#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Listing.h"
#include "TempTree.h"

using morvash::test::TempTree;
using morvash::test::Walk;

namespace {

using Names = std::set<std::string>;

// One folder of files whose suffixes the filter cases tell apart, and an
// empty subfolder that every filter keeps.
class Filter : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& name : all_) {
            tree_.touch(name);
        }
        tree_.makeFolder("sub");
    }

    // The files that `filter` accepts; checks that the folder is always listed.
    Names accepted(const char* filter) const {
        Names files;
        for (const std::string& line : Walk(tree_.root(), filter)) {
            files.insert(line);
        }
        EXPECT_EQ(files.erase("*sub"), 1u) << '"' << filter << '"';
        return files;
    }

    TempTree tree_;
    const Names all_ = {"a.txt",    "b.TXT",  "c.txt.bak", "d.text", "txt",   "archive.tar.gz",
                        ".profile", "e.jpeg", "f.gif",     "g.png",  "h.doc", "Makefile"};
};

TEST_F(Filter, EmptyFilterAcceptsEveryFile) {
    EXPECT_EQ(accepted(""), all_);
}

TEST_F(Filter, SuffixMatchesExactlyAndCaseSensitively) {
    EXPECT_EQ(accepted("txt"), Names({"a.txt", "txt"}));
    EXPECT_EQ(accepted("TXT"), Names({"b.TXT"}));
    EXPECT_EQ(accepted(".txt"), Names{});
    EXPECT_EQ(accepted("tx"), Names{});
}

TEST_F(Filter, SuffixFollowsTheLastDot) {
    EXPECT_EQ(accepted("tar.gz"), Names{});
    EXPECT_EQ(accepted("gz"), Names({"archive.tar.gz"}));
    EXPECT_EQ(accepted("profile"), Names({".profile"}));
    EXPECT_EQ(accepted("Makefile"), Names({"Makefile"}));
    EXPECT_EQ(accepted("bak"), Names({"c.txt.bak"}));
}

TEST_F(Filter, BlanksSeparateTokens) {
    EXPECT_EQ(accepted("jpeg gif png"), Names({"e.jpeg", "f.gif", "g.png"}));
    EXPECT_EQ(accepted("txt  doc"), Names({"a.txt", "txt", "h.doc"}));
    EXPECT_EQ(accepted(" txt"), Names({"a.txt", "txt"}));
}

TEST_F(Filter, TrailingBlankOrOnlyBlanksAcceptEveryFile) {
    EXPECT_EQ(accepted("txt "), all_);
    EXPECT_EQ(accepted("   "), all_);
    EXPECT_EQ(accepted("nothing doc "), all_);
}

}  // namespace
