// The one glob matcher: entry names as fnmatch matches them, by characters of
// the active code page, and git's wildmatch, by bytes, with paths and case
// folding.

#include <gtest/gtest.h>

#include <clocale>

#include "Glob.h"
#include "morvash/platform/CodePage.h"

using morvash::detail::Glob;
using platform::CodePage;

namespace {

constexpr unsigned kName = Glob::kNames;
constexpr unsigned kGit = Glob::kGit;
constexpr unsigned kPath = Glob::kGit | Glob::kPathname;
constexpr unsigned kFold = Glob::kGit | Glob::kFoldCase;

struct Case {
    const char* pattern;
    unsigned flags;
    const char* text;
    bool matches;
    CodePage page = CodePage::Utf8;
};

}  // namespace

TEST(Glob, MatchesNamesAndGitPaths) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const CodePage cp932 = CodePage::Cp932;
    const Case cases[] = {
        // Names: plain forms, a leading dot, characters, sets, escapes.
        {"*", kName, ".hidden", true},
        {"*.o", kName, "a.o", true},
        {"*.o", kName, "a.c", false},
        {"build*", kName, "builder", true},
        {"build*", kName, "abuild", false},
        {"name", kName, "names", false},
        {"?.txt", kName, "\xC3\xA9.txt", true},
        {"??.txt", kName, "\xC3\xA9.txt", false},
        {"??.txt", kName, "\xE9\xE9.txt", true},  // not UTF-8: bytes
        {"[\xE3\x81\x82-\xE3\x82\x93]*", kName, "\xE3\x81\xB2\xE3\x82\x89", true},
        {"[!\xE3\x81\x82-\xE3\x82\x93]*", kName, "\xE3\x81\xB2", false},
        {"[[:digit:]]?", kName, "7z", true},
        {"[[:upper:]]", kName, "a", false},
        {"[[:alpha:]]", kName, "\xC3\xA9", true},
        {"[^[:alpha:]]", kName, "\xE2\x82\xAC", true},
        {"\\*", kName, "*", true},
        {"\\*", kName, "a", false},
        {"[]]", kName, "]", true},
        {"[ab", kName, "[ab", true},  // never closed: itself
        {"[b-a]", kName, "b", false},
        {"?", kName, "\x83\x41", true, cp932},
        {"*A", kName, "\x83\x41", false, cp932},  // "A" is the trail byte
        {"*A", kName,
         "\x83\x41"
         "A",
         true, cp932},
        {"[\x83\x41-\x83\x43]", kName, "\x83\x42", true, cp932},
        {"??", kName, "\x83 ", true, cp932},  // no trail byte: bytes
        // Git's wildmatch.
        {"[ab", kGit, "[ab", false},
        {"[b-a]", kGit, "b", true},
        {"foo*bar", kPath, "foo/baz/bar", false},
        {"foo*bar", kGit, "foo/baz/bar", true},
        {"foo**bar", kPath, "foobazbar", true},
        {"foo/**/bar", kPath, "foo/bar", true},
        {"foo/**/bar", kPath, "foo/b/a/z/bar", true},
        {"**/foo", kPath, "foo", true},
        {"*/foo", kPath, "bar/baz/foo", false},
        {"**/bar*", kPath, "foo/bar/baz", false},
        {"**/bar/*", kPath, "deep/foo/bar/baz", true},
        {"*/bar/**", kPath, "deep/foo/bar/baz/x", false},
        {"foo/**", kPath, "foo/bba/arr", true},
        {"foo/*", kPath, "foo/bba/arr", false},
        {"foo?bar", kPath, "foo/bar", false},
        {"foo[/]bar", kPath, "foo/bar", false},
        {"*X*i", kPath, "ab/cXd/efXg/hi", false},
        {"**/*X*/**/*i", kPath, "ab/cXd/efXg/hi", true},
        {"**/*a*b*g*n*t", kPath, "abcd/abcdefg/abcdefghijk/abcdefghijklmnop.txtz", false},
        {"-*-*-*-m-*", kGit, "-adobe-courier-bold-o-normal--12-120-75-75-m-70-iso8859-1", true},
        {"*ab", kGit, "aaaaaaabababab", true},
        {"[[:digit:][:upper:][:spaci:]]", kGit, "1", false},
        {"[[::]ab]", kGit, "[ab]", false},
        {"[[:]ab]", kGit, "[ab]", true},
        {"[[:digit]ab]", kGit, "[ab]", true},
        {"[\\\\-^]", kGit, "]", true},
        {"[\\1-\\3]", kGit, "2", true},
        {"[a-e-n]", kGit, "-", true},
        {"[a-e-n]", kGit, "j", false},
        {"[!]-]", kGit, "a", true},
        {"[]-a]", kGit, "^", true},
        {"*/\\\\", kGit, "XXX/\\", true},
        {"*/\\", kGit, "XXX/\\", false},
        {"[A-z]", kGit, "_", true},
        {"[B-a]", kGit, "A", false},
        {"[B-a]", kFold, "A", true},
        {"[A-Z]", kFold, "a", true},
        {"[a-z]", kFold, "A", true},
        {"[[:upper:]]", kFold, "a", true},
        {"[[:lower:]]", kFold, "A", true},
        {"[B]", kFold, "B", false},  // git folds the text, not a set's members
        {"\\Cy", kFold, "cy", false},
        {"aB", kFold, "Ab", true},
        {"*.O", kFold, "x.o", true},
    };
    for (const Case& c : cases) {
        platform::SetActiveCodePage(c.page);
        EXPECT_EQ(Glob(c.pattern, c.flags).Matches(c.text), c.matches)
            << c.pattern << " " << c.text << " " << c.flags;
    }
    platform::SetActiveCodePage(CodePage::Utf8);
}
