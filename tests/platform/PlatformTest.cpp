// The platform library: code pages and character searches, CString, file
// time clamps, CFileFind and the extension-module chain. Lead bytes,
// breakdowns of file times, walks and FindExact are checked through the engine
// by the torture tests.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <tuple>

#include "Calendar.h"
#include "TempTree.h"
#include "morvash/platform/CStringArray.h"
#include "morvash/platform/CodePage.h"
#include "morvash/platform/ExtensionModule.h"
#include "morvash/platform/FileFind.h"
#include "morvash/platform/MbcsSearch.h"

using platform::CodePage;

TEST(CodePage, CharsetNamesSelectTheCodePage) {
    const std::pair<const char*, CodePage> names[] = {
        {"Shift_JIS", CodePage::Cp932},   {"sjis", CodePage::Cp932}, {"CP932", CodePage::Cp932},
        {"Windows-31J", CodePage::Cp932}, {"UTF-8", CodePage::Utf8}, {"CP9320", CodePage::Utf8}};
    for (const auto& [name, page] : names) {
        EXPECT_EQ(platform::CodePageForCharset(name), page) << name;
    }
}

// Each character converts, or becomes one replacement ("?" into code page
// 932, U+FFFD into UTF-8): a whole character the target lacks (U+1F600,
// U+07FF whose lead byte is 0xDF, the unassigned 85 40 even at the end), or a
// byte that begins no character (0xFF in UTF-8; a lead byte at the end or
// before 0x7F or 0xFD).
TEST(CodePage, EachCharacterConvertsOrBecomesOneReplacement) {
    const std::string bad = "\xEF\xBF\xBD";
    for (const auto& [page, toUtf8, from, to] :
         {std::tuple<CodePage, bool, std::string, std::string>{
              CodePage::Cp932, false, "\xE8\xA1\xA8\xE3\x82\xBD", "\x95\x5C\x83\x5C"},  // 表ソ
          {CodePage::Cp932, true, "\x95\x5C\x83\x5C", "\xE8\xA1\xA8\xE3\x82\xBD"},
          {CodePage::Cp932, false, "a\xF0\x9F\x98\x80z\xFF!", "a?z?!"},
          {CodePage::Cp932, false, "a\xDF\xBFz", "a?z"},
          {CodePage::Utf8, true, "a\xDFz", "a" + bad + "z"},
          {CodePage::Cp932, true, "ok\x81", "ok" + bad},
          {CodePage::Cp932, true, "a\x85\x40", "a" + bad},
          {CodePage::Cp932, true, "\x85\x80z", bad + "z"},
          {CodePage::Cp932, true, "\x81\x7Fz", bad + "\x7Fz"},
          {CodePage::Cp932, true, "\x81\xFDz", bad + bad + "z"},
          // The first and last leads of each length, for characters code page 932 lacks.
          {CodePage::Cp932, false, "\xC2\x80\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF.", "????."}}) {
        platform::SetActiveCodePage(page);
        EXPECT_EQ(toUtf8 ? platform::ToUtf8(from) : platform::FromUtf8(from), to) << from;
    }
    // Three bytes out for each byte in outgrow the output's first buffer.
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(platform::ToUtf8(std::string(300, '\xFF')).size(), 900u);
}

// Searches step over double-byte characters, in code page 932 only.
TEST(CodePage, SearchesFindCharactersNeverTrailBytes) {
    for (const auto& [page, text, ch, start, found, last] :
         {std::tuple{CodePage::Utf8, "a.b.c", '.', 2, 3, 3},
          {CodePage::Utf8, ".ab", '.', -3, 0, 0},
          {CodePage::Utf8, "a.b", '.', 3, -1, 1},
          {CodePage::Cp932, ".ab", '.', -3, 0, 0},
          {CodePage::Cp932, "a\x81.txt", '.', 0, -1, -1},
          {CodePage::Cp932, "c:\\\x95\x5C", '\\', 0, 2, 2},
          {CodePage::Cp932, "c:\\\x95\x5C", '\\', 3, -1, 2},
          {CodePage::Cp932, "a.\x81", '\x81', 0, 2, 2}}) {  // a lead byte at the end stands alone
        platform::SetActiveCodePage(page);
        const CString string(text);
        EXPECT_EQ(string.Find(ch, start), found) << text << " from " << start;
        EXPECT_EQ(string.Find(std::string(1, ch).c_str(), start), found) << text;
        EXPECT_EQ(string.ReverseFind(ch), last) << text;
    }
    EXPECT_EQ(platform::CharLength("a.\x81", 2), 1);
    EXPECT_EQ(platform::CharLength("a.\x81\x40", 2), 2);
    platform::SetActiveCodePage(CodePage::Utf8);
    EXPECT_EQ(CString("ab").Find("", 3), -1);
}

// Only the shortest form of a scalar value decodes, and only whole.
TEST(CodePage, Utf8DecodesOnlyWellFormedSequences) {
    for (const auto& [bytes, length, value] :
         {std::tuple<std::string_view, std::size_t, char32_t>{"\x7F", 1, 0x7F},
          {"", 0, 0},
          {"\xC2\x80", 2, 0x80},
          {"\xDF\xBF", 2, 0x7FF},
          {"\xE0\xA0\x80", 3, 0x800},
          {"\xED\x9F\xBF", 3, 0xD7FF},
          {"\xEF\xBF\xBF", 3, 0xFFFF},
          {"\xF0\x90\x80\x80", 4, 0x10000},
          {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
          {"\xC1\xBF", 0, 0},
          {"\xC2\xC0", 0, 0},
          {"\xE0\x9F\xBF", 0, 0},
          {"\xED\xA0\x80", 0, 0},
          {"\xE3\x81\x41", 0, 0},
          {"\xE3\x81", 0, 0},
          {"\xF0\x8F\xBF\xBF", 0, 0},
          {"\xF4\x90\x80\x80", 0, 0},
          {"\xF5\x80\x80\x80", 0, 0}}) {
        char32_t character = 0;
        EXPECT_EQ(platform::DecodeUtf8(bytes, character), length) << bytes;
        EXPECT_EQ(length != 0 ? character : 0, value) << bytes;
    }
}

TEST(CString, EditsKeepEveryByteAndClampIndexes) {
    CString text("ab");
    text += text;
    text += static_cast<const char*>(text) + 1;  // a pointer into its own bytes
    text = static_cast<const char*>(text) + 4;
    EXPECT_EQ(text, "bab");
    const CString xyz("xyz");
    text = "abcdefgh";
    text = xyz;  // a copy, shorter, into the same block
    text = text + text + '/';
    EXPECT_EQ(text.Insert(0, '_'), 8);
    EXPECT_EQ(text.Insert(99, 'e'), 9);
    EXPECT_EQ(text.Insert(-5, 's'), 10);
    EXPECT_EQ(text, "s_xyzxyz/e");
    CString cut(text);
    EXPECT_EQ((cut.Truncate(99), cut.Truncate(-1), cut.Truncate(2), cut += '!'), "s_!");
    EXPECT_EQ((cut.Truncate(0), cut), "");
    const std::pair<CString, const char*> slices[] = {
        {text.Left(-1), ""}, {text.Left(99), "s_xyzxyz/e"}, {text.Mid(-2, 3), "s_x"},
        {text.Mid(99), ""},  {text.Mid(8, 99), "/e"},       {text.Mid(4, -1), ""}};
    for (const auto& [slice, expected] : slices) {
        EXPECT_EQ(slice, expected);
    }
    CString blanks(" \t\r\n\v\f a b ");
    EXPECT_EQ(blanks.TrimLeft(), "a b ");
    CStringArray array;
    array.SetAtGrow(2, CString("two"));
    EXPECT_EQ(array.Add(CString("three")), 3);
}

TEST(SystemTime, TimesClampTo1601Through30827) {
    using morvash::test::Time;
    // The last instant SYSTEMTIME holds is on a Friday.
    for (const auto& [seconds, expected] :
         {std::pair{std::int64_t{-20'000'000'000}, Time{1601, 1, 1, 1}},
          {INT64_MAX, {30827, 12, 5, 31, 23, 59, 59, 999}}}) {
        const FILETIME time = platform::FileTimeFromUnix(seconds, 999'999'999);
        SYSTEMTIME fields{};
        EXPECT_TRUE(FileTimeToSystemTime(&time, &fields));
        EXPECT_EQ(morvash::test::Fields(fields), expected);
    }
    const FILETIME huge{0, 0x8000'0000u};
    SYSTEMTIME fields{};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &fields));
}

// CFileFind's exact lookup agrees with FindExact and sees a link itself; no
// entry carries FILE_ATTRIBUTE_READONLY (0x01).
TEST(FileFind, ExactLookupsSeeTheEntryItself) {
    morvash::test::TempTree tree;
    tree.touch("data", 5'000'000'000);
    tree.touch("empty");
    tree.makeFolder("dir");
    tree.link("dir", "link");
    for (const auto& [name, directory] :
         {std::pair{"data", false}, {"empty", false}, {"dir", true}, {"link", false}}) {
        platform::EntryDetails exact;
        CFileFind finder;
        FILETIME time{};
        ASSERT_TRUE(platform::FindExact(tree.path(name).c_str(), exact));
        ASSERT_TRUE(finder.FindFile(tree.path(name).c_str(), CFileFind::Match::Exact));
        EXPECT_FALSE(finder.FindNextFile());
        EXPECT_EQ(finder.GetFileName().view(), name);
        EXPECT_TRUE(finder.GetLastWriteTime(&time));
        EXPECT_EQ(time.dwLowDateTime, exact.lastWrite.dwLowDateTime);
        EXPECT_EQ(finder.IsDirectory(), BOOL(directory));
        EXPECT_EQ(exact.directory, directory);
        EXPECT_FALSE(finder.MatchesMask(0x01));
        EXPECT_EQ(finder.GetLength(), exact.length);
    }
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile(tree.path("dir/").c_str(), CFileFind::Match::Exact));
}

// A folder pattern enumerates every entry, "." and ".." too; a subfolder opens
// below its parent's enumeration; each search closes its folder.
TEST(FileFind, EnumerationsSeeEveryEntryAndCloseTheirFolders) {
    morvash::test::TempTree tree;
    tree.makeFolder("dir");
    tree.makeFolder("dir/sub");
    tree.touch("dir/a.txt");
    tree.touch("dir/sub/b");
    const long before = morvash::test::OpenFileCount();
    {
        std::set<std::string> names;
        CFileFind finder;
        CFileFind sub;
        for (BOOL more = finder.FindFile(tree.path("dir/*").c_str()); more;) {
            more = finder.FindNextFile();
            names.insert(std::string(finder.FileName()) + (finder.IsDirectory() ? "/" : ""));
            if (finder.FileName() == "sub") {
                for (BOOL inner = sub.FindSubFolder(finder, "sub"); inner;) {
                    inner = sub.FindNextFile();
                    names.insert("sub/" + std::string(sub.FileName()));
                }
            }
        }
        EXPECT_EQ(names, (std::set<std::string>{"./", "../", "a.txt", "sub/", "sub/.", "sub/..",
                                                "sub/b"}));
    }
    EXPECT_EQ(morvash::test::OpenFileCount(), before);
}

// A module's end frees its own chain entries; ending all frees the others too.
TEST(ExtensionModule, TerminationFreesItsOwnEntriesOrAll) {
    AFX_EXTENSION_MODULE one;
    AFX_EXTENSION_MODULE two;
    ASSERT_TRUE(AfxInitExtensionModule(one, "one") && AfxInitExtensionModule(two, "two"));
    new CDynLinkLibrary(one);  // each entry is owned by the chain
    new CDynLinkLibrary(two);
    AfxTermExtensionModule(one);
    EXPECT_EQ(AfxCountExtensionModules("one") + 2 * AfxCountExtensionModules("two"), 2);
    AfxTermExtensionModule(one, TRUE);
    EXPECT_EQ(AfxCountExtensionModules("two"), 0);
}
