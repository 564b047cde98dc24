#include <gtest/gtest.h>

#include <string>

#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

namespace {

using platform::CodePage;

struct Row {
    const char* folderText;
    BOOL rootFullPath;
    const char* enginePath;
    const char* rootLabel;
};

// ASCII rows hold in both code pages; 表 is 95 5C in code page 932, whose
// trail byte is a backslash and never a "/".
constexpr Row kTable[] = {
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
    {"/data/\x95\x5C", FALSE, "/data/\x95\x5C", "\x95\x5C"},
    {"/data/\x95\x5C/", FALSE, "/data/\x95\x5C", "\x95\x5C"},
    {"\x95\x5C", FALSE, "\x95\x5C", "\x95\x5C"},
    {"c:\\\x95\x5C", FALSE, "c:\\\x95\x5C", "c:\\\x95\x5C"},
};

TEST(PrepareRootFolder, TableInBothCodePages) {
    for (const CodePage page : {CodePage::Utf8, CodePage::Cp932}) {
        platform::SetActiveCodePage(page);
        for (const Row& row : kTable) {
            const auto root = tandrel::PrepareRootFolder(row.folderText, row.rootFullPath);
            EXPECT_EQ(root.enginePath, row.enginePath) << row.folderText << row.rootFullPath;
            EXPECT_EQ(root.rootLabel, row.rootLabel) << row.folderText << row.rootFullPath;
        }
    }
}

// In code page 932 a lead byte takes the byte after it, so that "/" separates nothing.
TEST(PrepareRootFolder, SlashAfterALeadByteIsNoSeparatorInCodePage932) {
    platform::SetActiveCodePage(CodePage::Cp932);
    const auto cp932 = tandrel::PrepareRootFolder("/a/\x95/", FALSE);
    EXPECT_EQ(cp932.enginePath, "/a/\x95/");
    EXPECT_EQ(cp932.rootLabel, "\x95/");
    platform::SetActiveCodePage(CodePage::Utf8);
    const auto utf8 = tandrel::PrepareRootFolder("/a/\x95/", FALSE);
    EXPECT_EQ(utf8.enginePath, "/a/\x95");
    EXPECT_EQ(utf8.rootLabel, "\x95");
}

}  // namespace
