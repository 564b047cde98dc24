// The platform library: code pages and character searches, CString and
// CStringArray, file times, the extension module chain and exact lookups.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "Calendar.h"
#include "Cp932.h"
#include "TempTree.h"
#include "morvash/platform/CStringArray.h"
#include "morvash/platform/CodePage.h"
#include "morvash/platform/ExtensionModule.h"
#include "morvash/platform/FileFind.h"

using platform::CodePage;
using Row = std::tuple<CodePage, std::string, std::string>;

TEST(CodePage, CharsetNamesAndTheLocaleSelectTheCodePage) {
    for (const char* name : {"Shift_JIS", "sjis", "CP932", "Windows-31J"}) {
        EXPECT_EQ(platform::CodePageForCharset(name), CodePage::Cp932) << name;
    }
    for (const char* name : {"UTF-8", "SJIS-X", "CP9320", ""}) {
        EXPECT_EQ(platform::CodePageForCharset(name), CodePage::Utf8) << name;
    }
    platform::SetActiveCodePage(CodePage::Cp932);
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(platform::SelectCodePageFromLocale(), CodePage::Utf8);
    EXPECT_EQ(platform::ActiveCodePage(), CodePage::Utf8);
}

TEST(CodePage, LeadBytesAreThoseOfTheByteTable) {
    for (int byte = 0; byte < 256; ++byte) {
        platform::SetActiveCodePage(CodePage::Cp932);
        EXPECT_EQ(platform::IsLeadByte(byte), morvash::test::IsCp932Lead(byte)) << byte;
        platform::SetActiveCodePage(CodePage::Utf8);
        EXPECT_FALSE(platform::IsLeadByte(byte)) << byte;
    }
}

// Each character converts, or becomes one replacement ("?" into code page
// 932, U+FFFD into UTF-8): a whole character the target lacks (U+1F600, U+07FF
// whose lead byte is 0xDF, the unassigned 85 40), or a byte that begins no
// character (0xFF in UTF-8; a lead byte at the end or before 0x7F or 0xFD).
TEST(CodePage, EachCharacterConvertsOrBecomesOneReplacement) {
    const std::string utf8 = "\xE8\xA1\xA8\xE3\x82\xBD";  // 表ソ, whose second bytes are 5C in 932
    const std::string cp932 = "\x95\x5C\x83\x5C";
    const std::string bad = "\xEF\xBF\xBD";
    std::string manyBad;
    for (int i = 0; i < 300; ++i) {
        manyBad += bad;  // outgrows the buffer the 300 input bytes first get
    }
    for (const auto& [page, from, to] : {Row{CodePage::Cp932, utf8, cp932},
                                         {CodePage::Utf8, utf8, utf8},
                                         {CodePage::Cp932, "a\xF0\x9F\x98\x80z\xFF!", "a?z?!"},
                                         {CodePage::Cp932, "a\xDF\xBFz", "a?z"}}) {
        platform::SetActiveCodePage(page);
        EXPECT_EQ(platform::FromUtf8(from), to) << from;
    }
    for (const auto& [page, from, to] : {Row{CodePage::Cp932, cp932, utf8},
                                         {CodePage::Utf8, "a\xDFz", "a" + bad + "z"},
                                         {CodePage::Utf8, std::string(300, '\xFF'), manyBad},
                                         {CodePage::Cp932, "ok\x81", "ok" + bad},
                                         {CodePage::Cp932, "a\x85\x40z", "a" + bad + "z"},
                                         {CodePage::Cp932, "\x81\x7Fz", bad + "\x7Fz"},
                                         {CodePage::Cp932, "\x81\xFDz", bad + bad + "z"}}) {
        platform::SetActiveCodePage(page);
        EXPECT_EQ(platform::ToUtf8(from), to) << from.substr(0, 9);
    }
    platform::SetActiveCodePage(CodePage::Utf8);
}

// Searches step over double-byte characters, in code page 932 only.
TEST(CodePage, SearchesFindCharactersNeverTrailBytes) {
    for (const auto& [page, text, ch, start, found, last] :
         {std::tuple{CodePage::Utf8, "a.b.c", '.', 0, 1, 3},
          {CodePage::Utf8, "a.b.c", '.', 2, 3, 3},
          {CodePage::Utf8, "a.b.c", '.', 9, -1, 3},
          {CodePage::Utf8, ".ab", '.', -3, 0, 0},
          {CodePage::Cp932, ".ab", '.', -3, 0, 0},
          {CodePage::Utf8, "a\x81.txt", '.', 0, 2, 2},
          {CodePage::Cp932, "a\x81.txt", '.', 0, -1, -1},
          {CodePage::Cp932, "c:\\\x95\x5C", '\\', 0, 2, 2},
          {CodePage::Cp932, "c:\\\x95\x5C", '\\', 3, -1, 2},
          {CodePage::Cp932, "\xE0 x y", ' ', 0, 3, 3},
          {CodePage::Cp932, "a.\x81", '\x81', 0, 2, 2}}) {  // a lead byte at the end stands alone
        platform::SetActiveCodePage(page);
        const CString string(text);
        EXPECT_EQ(string.Find(ch, start), found) << text << " from " << start;
        EXPECT_EQ(string.Find(std::string(1, ch).c_str(), start), found) << text;
        EXPECT_EQ(string.ReverseFind(ch), last) << text;
    }
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(CString("ab").Find("", 3), -1);
}

TEST(CString, EditsKeepEveryByteAndClampIndexes) {
    CString text(static_cast<const char*>(nullptr));
    text += static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
    text = "ab";
    text += text;
    text += static_cast<const char*>(text) + 1;  // a pointer into its own bytes
    text = static_cast<const char*>(text) + 4;
    EXPECT_EQ(text, "bab");
    text = "abcdefgh";
    text = "xyz";  // shorter text into the same block
    text = text + text + '/';
    EXPECT_EQ(text.Insert(0, '_'), 8);
    EXPECT_EQ(text.Insert(99, 'e'), 9);
    EXPECT_EQ(text.Insert(-5, 's'), 10);
    EXPECT_EQ(text, "s_xyzxyz/e");
    for (const auto& [slice, expected] : {std::pair{text.Left(-1), ""},
                                          {text.Left(99), "s_xyzxyz/e"},
                                          {text.Mid(-2), "s_xyzxyz/e"},
                                          {text.Mid(99), ""},
                                          {text.Mid(8, 99), "/e"},
                                          {text.Mid(4, -1), ""}}) {
        EXPECT_EQ(slice, expected);
    }
    CString blanks(" \t\r\n\v\f a b ");
    EXPECT_EQ(blanks.TrimLeft(), "a b ");
    text.Format("%s/%03d%c", "dir", 7, '!');
    EXPECT_EQ(text, "dir/007!");
    text.Format("%s", "");
    EXPECT_TRUE(text.IsEmpty());
    CStringArray array;
    array.SetAtGrow(2, CString("two"));
    EXPECT_EQ(array.Add(CString("three")), 3);
    EXPECT_EQ(array[2], "two");
}

TEST(SystemTime, BreaksDownAndClampsTo1601Through30827) {
    using namespace std::chrono;
    const int lastDayOfWeek = morvash::test::DayOfWeek(30827y / 12 / 31);
    for (const auto& [seconds, nanoseconds, expected] :
         {std::tuple{std::int64_t{0}, 0, morvash::test::Time{1970, 1, 4, 1, 0, 0, 0, 0}},
          {-1, 500'000'000, {1969, 12, 3, 31, 23, 59, 59, 500}},
          {-20'000'000'000, 5, {1601, 1, 1, 1, 0, 0, 0, 0}},
          {INT64_MAX, 999'999'999, {30827, 12, lastDayOfWeek, 31, 23, 59, 59, 999}}}) {
        const FILETIME time = platform::FileTimeFromUnix(seconds, nanoseconds);
        SYSTEMTIME fields{};
        EXPECT_TRUE(FileTimeToSystemTime(&time, &fields));
        EXPECT_EQ(morvash::test::Fields(fields), expected) << seconds;
    }
    const FILETIME huge{0, 0x8000'0000u};
    SYSTEMTIME fields{};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &fields));
}

TEST(ExtensionModule, ChainHoldsEachLibraryUntilItsTermination) {
    AFX_EXTENSION_MODULE first;
    AFX_EXTENSION_MODULE second;
    AfxInitExtensionModule(first, "First");
    AfxInitExtensionModule(second, "Second");
    new CDynLinkLibrary(first);
    new CDynLinkLibrary(second);
    AfxTermExtensionModule(first);
    EXPECT_EQ(AfxCountExtensionModules("First"), 0);
    EXPECT_EQ(AfxCountExtensionModules("Second"), 1);
    AfxTermExtensionModule(second);
    EXPECT_EQ(AfxCountExtensionModules("Second"), 0);
}

// CFileFind's exact lookup agrees with FindExact and sees a link itself; no
// entry carries FILE_ATTRIBUTE_READONLY (0x01).
TEST(FileFind, ExactLookupsSeeTheEntryItself) {
    morvash::test::TempTree tree;
    tree.touch("data", 5'000'000'000);
    tree.makeFolder("dir");
    tree.link("dir", "link");
    for (const auto& [name, directory, length] :
         {std::tuple{"data", false, std::uint64_t{5'000'000'000}},
          {"dir", true, 0},
          {"link", false, 3}}) {
        platform::EntryDetails exact;
        CFileFind finder;
        ASSERT_TRUE(platform::FindExact(tree.path(name).c_str(), exact));
        ASSERT_TRUE(finder.FindFile(tree.path(name).c_str(), CFileFind::Match::Exact));
        FILETIME time{};
        EXPECT_FALSE(finder.FindNextFile());
        EXPECT_TRUE(finder.GetLastWriteTime(&time));
        EXPECT_EQ(time.dwLowDateTime, exact.lastWrite.dwLowDateTime);
        EXPECT_EQ(finder.IsDirectory(), directory);
        EXPECT_EQ(exact.directory, directory);
        EXPECT_FALSE(finder.MatchesMask(0x01));
        EXPECT_EQ(finder.GetLength(), exact.length);
        EXPECT_TRUE(directory || exact.length == length) << name;
    }
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile(tree.path("dir/").c_str(), CFileFind::Match::Exact));
}
