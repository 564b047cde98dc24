#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "tandrel/TreeText.h"

namespace {

using platform::CodePage;
using tandrel::PrepareRootFolder;

struct Row {
    std::string folderText;
    BOOL rootFullPath;
    std::string enginePath;
    std::string rootLabel;
};

// The rows hold ASCII, or CP932 text whose trail bytes never equal "/".
const std::vector<Row> kTable = {
    {"/", FALSE, "/", "/"},
    {"/", TRUE, "/", "/"},
    {"/data", FALSE, "/data", "data"},
    {"/data/", FALSE, "/data", "data"},
    {"/data//", FALSE, "/data/", ""},
    {"data", FALSE, "data", "data"},
    {"", FALSE, "", ""},
    {"c:\\data", FALSE, "c:\\data", "c:\\data"},
    {"/data/", TRUE, "/data/", "/data/"},
    {"//", FALSE, "/", ""},
    {"data/sub/", FALSE, "data/sub", "sub"},
    {"./", FALSE, ".", "."},
};

void ExpectTable(CodePage page) {
    platform::SetActiveCodePage(page);
    for (const Row& row : kTable) {
        const tandrel::RootFolder root =
            PrepareRootFolder(CString(row.folderText.c_str()), row.rootFullPath);
        EXPECT_EQ(root.enginePath.view(), row.enginePath)
            << "'" << row.folderText << "' full path " << row.rootFullPath;
        EXPECT_EQ(root.rootLabel.view(), row.rootLabel)
            << "'" << row.folderText << "' full path " << row.rootFullPath;
    }
}

TEST(PrepareRootFolder, TableUnderUtf8) {
    ExpectTable(CodePage::Utf8);
}

TEST(PrepareRootFolder, TableUnderCp932) {
    ExpectTable(CodePage::Cp932);
}

// 表 is 95 5C in code page 932: its trail byte is a backslash, never a "/".
TEST(PrepareRootFolder, TextEndingInHyoIsNotShortened) {
    platform::SetActiveCodePage(CodePage::Cp932);
    const auto nested = PrepareRootFolder(CString("/data/\x95\x5C"), FALSE);
    EXPECT_EQ(nested.enginePath.view(), "/data/\x95\x5C");
    EXPECT_EQ(nested.rootLabel.view(), "\x95\x5C");

    const auto alone = PrepareRootFolder(CString("\x95\x5C"), FALSE);
    EXPECT_EQ(alone.enginePath.view(), "\x95\x5C");
    EXPECT_EQ(alone.rootLabel.view(), "\x95\x5C");

    const auto windows = PrepareRootFolder(CString("c:\\\x95\x5C"), FALSE);
    EXPECT_EQ(windows.enginePath.view(), "c:\\\x95\x5C");
    EXPECT_EQ(windows.rootLabel.view(), "c:\\\x95\x5C");

    const auto slashed = PrepareRootFolder(CString("/data/\x95\x5C/"), FALSE);
    EXPECT_EQ(slashed.enginePath.view(), "/data/\x95\x5C");
    EXPECT_EQ(slashed.rootLabel.view(), "\x95\x5C");
}

// A lead byte swallows the byte after it, so a "/" there separates nothing.
TEST(PrepareRootFolder, SlashAfterLeadByteIsNoSeparator) {
    platform::SetActiveCodePage(CodePage::Cp932);
    const auto root = PrepareRootFolder(CString("/a/\x95/"), FALSE);
    EXPECT_EQ(root.enginePath.view(), "/a/\x95/");
    EXPECT_EQ(root.rootLabel.view(), "\x95/");

    platform::SetActiveCodePage(CodePage::Utf8);
    const auto utf8 = PrepareRootFolder(CString("/a/\x95/"), FALSE);
    EXPECT_EQ(utf8.enginePath.view(), "/a/\x95");
    EXPECT_EQ(utf8.rootLabel.view(), "\x95");
}

}  // namespace
