#include "morvash/platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>

using platform::CodePage;

namespace {

// 表示日本語ソ: 表 and ソ end with the byte 0x5C in code page 932.
constexpr char kJapaneseUtf8[] =
    "\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x82\xBD";
constexpr char kJapanese932[] = "\x95\x5C\x8E\xA6\x93\xFA\x96\x7B\x8C\xEA\x83\x5C";

class CodePageTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::SetActiveCodePage(CodePage::Utf8); }
};

TEST_F(CodePageTest, CharsetNamesSelectTheCodePage) {
    for (const char* name : {"Shift_JIS", "SHIFT_JIS", "sjis", "SJIS", "CP932", "cp932",
                             "WINDOWS-31J", "Windows-31J"}) {
        EXPECT_EQ(platform::CodePageForCharset(name), CodePage::Cp932) << name;
    }
    for (const char* name : {"UTF-8", "EUC-JP", "ANSI_X3.4-1968", "", "SJIS-X", "CP9320"}) {
        EXPECT_EQ(platform::CodePageForCharset(name), CodePage::Utf8) << name;
    }
}

TEST_F(CodePageTest, CLocaleSelectsUtf8) {
    platform::SetActiveCodePage(CodePage::Cp932);
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(platform::SelectCodePageFromLocale(), CodePage::Utf8);
    EXPECT_EQ(platform::ActiveCodePage(), CodePage::Utf8);
}

TEST_F(CodePageTest, LeadBytesExistOnlyIn932) {
    platform::SetActiveCodePage(CodePage::Cp932);
    EXPECT_TRUE(platform::IsLeadByte(0x81));
    EXPECT_TRUE(platform::IsLeadByte(0x9F));
    EXPECT_TRUE(platform::IsLeadByte(0xE0));
    EXPECT_TRUE(platform::IsLeadByte(0xFC));
    EXPECT_FALSE(platform::IsLeadByte(0x80));
    EXPECT_FALSE(platform::IsLeadByte(0xA0));  // half-width katakana: one byte
    EXPECT_FALSE(platform::IsLeadByte(0xDF));
    EXPECT_FALSE(platform::IsLeadByte(0xFD));
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_FALSE(platform::IsLeadByte(0x81));
}

TEST_F(CodePageTest, JapaneseTextConvertsBothWays) {
    platform::SetActiveCodePage(CodePage::Cp932);
    EXPECT_EQ(platform::FromUtf8(kJapaneseUtf8), kJapanese932);
    EXPECT_EQ(platform::ToUtf8(kJapanese932), kJapaneseUtf8);
    EXPECT_EQ(platform::FromUtf8("a/b.txt"), "a/b.txt");
}

TEST_F(CodePageTest, Utf8CodePageKeepsTheText) {
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(platform::FromUtf8(kJapaneseUtf8), kJapaneseUtf8);
    EXPECT_EQ(platform::ToUtf8(kJapaneseUtf8), kJapaneseUtf8);
}

TEST_F(CodePageTest, UnconvertibleCharactersBecomeOneReplacementEach) {
    platform::SetActiveCodePage(CodePage::Cp932);
    // U+1F600 has no code page 932 form; 0xFF is no UTF-8 byte.
    EXPECT_EQ(platform::FromUtf8("a\xF0\x9F\x98\x80z\xFF!"), "a?z?!");
    // A lone lead byte at the end, and the unassigned character 85 40.
    EXPECT_EQ(platform::ToUtf8("ok\x81"), "ok\xEF\xBF\xBD");
    EXPECT_EQ(platform::ToUtf8("a\x85\x40"
                               "b"),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
