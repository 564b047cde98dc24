// The one glob matcher: entry names as fnmatch matches them, by characters of
// the active code page, and git's wildmatch, by bytes, with paths and case
// folding.

#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

#include "Glob.h"
#include "morvash/platform/CodePage.h"

using morvash::detail::Glob;
using platform::CodePage;

namespace {

constexpr unsigned kName = Glob::kNames;
constexpr unsigned kGit = Glob::kGit;
constexpr unsigned kPath = Glob::kGit | Glob::kPathname;
constexpr unsigned kFold = Glob::kGit | Glob::kFoldCase;
constexpr unsigned kCp932 = 1U << 8;  // the test's own: made with code page 932 active

}  // namespace

TEST(Glob, MatchesNamesAndGitPaths) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    const std::tuple<const char*, unsigned, const char*, bool> cases[] = {
        // Names: plain forms, a leading dot, characters, sets, escapes.
        {"*", kName, ".hidden", true},
        {"build*", kName, "builder", true},
        {"build*", kName, "abuild", false},
        {"name", kName, "names", false},
        {"a?", kName, "a", false},
        {"?.txt", kName, "\xC3\xA9.txt", true},
        {"*\xC3\xA9?", kName, "x\xC3\xA9y", true},
        // A name that is not UTF-8 (overlong, a surrogate, past U+10FFFF) is bytes.
        {"?????", kName, "\xC2\x80\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true},
        {"?", kName, "\xC1\x80", false},
        {"?", kName, "\xE0\x9F\x80", false},
        {"?", kName, "\xED\xA0\x80", false},
        {"?", kName, "\xF0\x8F\x80\x80", false},
        {"?", kName, "\xF4\x90\x80\x80", false},
        {"?", kName, "\xF5\x80\x80\x80", false},
        {"[\xE3\x81\x82-\xE3\x82\x93]*", kName, "\xE3\x81\xB2\xE3\x82\x89", true},
        {"[!\xE3\x81\x82-\xE3\x81\x84]", kName, "\xE3\x81\x86", true},
        {"[[:digit:]]?", kName, "7z", true},
        {"[[:alpha:]]", kName, "\xC3\xA9", true},
        {"[^[:alpha:]]", kName, "\xE2\x82\xAC", true},
        {"\\*", kName, "*", true},
        {"[]]", kName, "]", true},
        {"[ab", kName, "[ab", true},  // never closed: itself
        {"[b-a]", kName, "b", false},
        {"?", kName | kCp932, "\x83\x41", true},
        {"a?c", kName | kCp932, "abc", true},
        {"????", kName | kCp932, "\x83\x40\x83\x7E\x83\x80\x83\xFC", true},
        {"*A", kName | kCp932, "\x83\x41", false},  // "A" is the trail byte
        {"*A", kName | kCp932,
         "\x83\x41"
         "A",
         true},
        {"[\x83\x41-\x83\x43][!\x83\x41-\x83\x43]", kName | kCp932, "\x83\x42\x83\x44", true},
        {"??", kName | kCp932, "\x83\x7F", true},  // no trail byte: bytes
        {"??", kName | kCp932, "\x83\xFD", true},
        // The twelve classes at their edges.
        {"[[:alnum:]][[:alnum:]][[:alnum:]][[:alnum:]][[:alnum:]][[:alnum:]][[:graph:]][[:graph:]]"
         "[[:print:]][[:cntrl:]][[:cntrl:]][[:space:]][[:space:]][[:blank:]][[:xdigit:]]"
         "[[:xdigit:]][[:punct:]][[:lower:]][[:upper:]]",
         kGit, "09azAZ!~ \x1F\x7F\t\r\tfF/qQ", true},
        {"[![:alnum:]][![:alnum:]][![:alnum:]][![:alnum:]][![:alnum:]][![:alnum:]][![:graph:]]"
         "[![:graph:]][![:print:]][![:cntrl:]][![:space:]][![:space:]][![:blank:]][![:xdigit:]]"
         "[![:xdigit:]][![:punct:]][![:lower:]][![:upper:]]",
         kGit, "/:`{@[ \x7F\x7F \x08\x0E\vgG0Aa", true},
        // Git's wildmatch.
        {"foo*bar", kPath, "foo/baz/bar", false},
        {"foo*bar", kGit, "foo/baz/bar", true},
        {"foo**bar", kPath, "foobazbar", true},
        {"**foo", kPath, "a/foo", false},
        {"foo/**/bar", kPath, "foo/b/a/z/bar", true},
        {"**\\/b", kPath, "x/y/b", true},
        {"**/bar*", kPath, "foo/bar/baz", false},
        {"**/bar/*", kPath, "deep/foo/bar/baz", true},
        {"foo/*", kPath, "foo/bba/arr", false},
        {"foo?bar", kPath, "foo/bar", false},
        {"**/*X*/**/*i", kPath, "ab/cXd/efXg/hi", true},
        {"-*-*-*-m-*", kGit, "-adobe-courier-bold-o-normal--12-120-75-75-m-70-iso8859-1", true},
        {"*ab", kGit, "aaaaaaabababab", true},
        {"[[:digit:][:upper:][:spaci:]]", kGit, "1", false},
        {"[[:]ab]", kGit, "[ab]", true},
        {"[[:digit]ab]", kGit, "[ab]", true},
        {"[\\\\-^]", kGit, "]", true},
        {"[\\1-\\3]", kGit, "4", false},
        {"[a-e-n]", kGit, "j", false},
        {"[a-\\z]", kGit, "q", true},
        {"[!]-]", kGit, "a", true},
        {"[]-a]", kGit, "^", true},
        {"[B-a]", kFold, "A", true},
        {"[A-Z]", kFold, "a", true},
        {"*B?D*", kFold, "xabcdx", true},
        {"\\Cy", kFold, "cy", false},  // git folds neither a set's members nor escaped letters
    };
    for (const auto& [pattern, flags, text, matches] : cases) {
        platform::SetActiveCodePage((flags & kCp932) != 0 ? CodePage::Cp932 : CodePage::Utf8);
        EXPECT_EQ(Glob(pattern, flags & ~kCp932).Matches(text), matches)
            << pattern << " " << text << " " << flags;
    }
    platform::SetActiveCodePage(CodePage::Utf8);
}
