#include "morvash/platform/CString.h"

#include <gtest/gtest.h>

#include <string>

#include "morvash/platform/CStringArray.h"
#include "morvash/platform/CodePage.h"

namespace {

class CStringCp932 : public ::testing::Test {
  protected:
    void SetUp() override { platform::SetActiveCodePage(platform::CodePage::Cp932); }
    void TearDown() override { platform::SetActiveCodePage(platform::CodePage::Utf8); }
};

TEST(CString, NullPointerGivesTheEmptyString) {
    const CString text(static_cast<const char*>(nullptr));
    EXPECT_EQ(text.GetLength(), 0);
    EXPECT_STREQ(static_cast<const char*>(text), "");
    CString other("x");
    other += static_cast<const char*>(nullptr);
    EXPECT_EQ(other, "x");
}

TEST(CString, FormatsLikePrintf) {
    CString text("old");
    text.Format("%s/%03d%c", "dir", 7, '!');
    EXPECT_EQ(text, "dir/007!");
    text.Format("%0300d", 1);
    EXPECT_EQ(text.GetLength(), 300);
    EXPECT_EQ(text.Mid(299), "1");
    text.Format("%s", "");
    EXPECT_EQ(text.GetLength(), 0);
}

TEST(CString, LeftAndMidClampToTheString) {
    const CString text("hello");
    EXPECT_EQ(text.Left(2), "he");
    EXPECT_EQ(text.Left(-1), "");
    EXPECT_EQ(text.Left(99), "hello");
    EXPECT_EQ(text.Mid(3), "lo");
    EXPECT_EQ(text.Mid(99), "");
    EXPECT_EQ(text.Mid(-2), "hello");
    EXPECT_EQ(text.Mid(1, 3), "ell");
    EXPECT_EQ(text.Mid(1, 99), "ello");
    EXPECT_EQ(text.Mid(4, -1), "");
}

TEST(CString, TrimLeftDropsEveryLeadingWhiteSpace) {
    CString text(" \t\r\n\v\f a b ");
    text.TrimLeft();
    EXPECT_EQ(text, "a b ");
    CString blank("  ");
    EXPECT_EQ(blank.TrimLeft(), "");
}

TEST(CString, InsertClampsTheIndexAndReturnsTheLength) {
    CString text("ac");
    EXPECT_EQ(text.Insert(1, 'b'), 3);
    EXPECT_EQ(text.Insert(99, 'd'), 4);
    EXPECT_EQ(text.Insert(-5, '_'), 5);
    EXPECT_EQ(text, "_abcd");
}

TEST(CString, AppendsOfItselfDoubleIt) {
    CString text("ab");
    text += text;
    EXPECT_EQ(text, "abab");
    text += static_cast<const char*>(text) + 1;  // a pointer into its own bytes
    EXPECT_EQ(text, "ababbab");
    text = static_cast<const char*>(text) + 5;
    EXPECT_EQ(text, "ab");
    text = text + text + '/';
    EXPECT_EQ(text, "abab/");
}

TEST(CString, LongAppendsKeepEveryByte) {
    CString text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        const char c = static_cast<char>('a' + i % 26);
        text += c;
        expected += c;
    }
    EXPECT_EQ(text.view(), expected);
}

TEST(CString, FindsTextAndCharacters) {
    const CString text("a.b.c");
    EXPECT_EQ(text.Find('.'), 1);
    EXPECT_EQ(text.Find('.', 2), 3);
    EXPECT_EQ(text.Find('.', 9), -1);
    EXPECT_EQ(text.Find("b.c"), 2);
    EXPECT_EQ(text.Find(""), 0);
    EXPECT_EQ(text.Find("x"), -1);
    EXPECT_EQ(text.ReverseFind('.'), 3);
    EXPECT_EQ(text.ReverseFind('x'), -1);
}

TEST_F(CStringCp932, TrailByteIsNoSeparator) {
    // 表 is 95 5C in code page 932: its trail byte is the backslash's byte.
    const CString path("c:\\\x95\x5C");
    EXPECT_EQ(path.ReverseFind('\\'), 2);
    EXPECT_EQ(path.Find('\\', 3), -1);
    EXPECT_EQ(path.Find("\\"), 2);
}

TEST_F(CStringCp932, DotAndBlankAfterALeadByteAreNotFound) {
    EXPECT_EQ(CString("a\x81.txt").Find('.'), -1);
    EXPECT_EQ(CString("a\x81.txt").ReverseFind('.'), -1);
    EXPECT_EQ(CString("\xE0 x").Find(' '), -1);
    EXPECT_EQ(CString("\xE0 x y").Find(' '), 3);
    EXPECT_EQ(CString("\x81.\x81.").Find("."), -1);
}

TEST_F(CStringCp932, LeadByteAtTheEndStandsAlone) {
    const CString text("a.\x81");
    EXPECT_EQ(text.ReverseFind('.'), 1);
    EXPECT_EQ(text.ReverseFind('\x81'), 2);
    EXPECT_EQ(text.Find('\x81'), 2);
}

TEST(CStringArray, GrowsAtItsEndAndHandsOutCopies) {
    CStringArray array;
    array.SetAtGrow(array.GetSize(), CString("one"));
    array.SetAtGrow(array.GetSize(), CString("two"));
    EXPECT_EQ(array.Add(CString("three")), 2);
    ASSERT_EQ(array.GetSize(), 3);
    CString copy = array.GetAt(1);
    copy += "!";
    EXPECT_EQ(array.GetAt(1), "two");
    EXPECT_EQ(array[2], "three");
    array.SetSize(0, -1);
    EXPECT_EQ(array.GetSize(), 0);
}

}  // namespace
