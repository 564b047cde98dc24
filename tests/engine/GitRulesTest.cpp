// Git's ignore rules alone: ignore files' texts at their folders, and the
// verdict for one path. Cases from gitignore(5) and git's own tests.

#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "GitRules.h"

using morvash::detail::GitRules;
using Verdict = morvash::detail::IgnoreVerdict;

namespace {

struct Case {
    std::vector<std::pair<std::string_view, std::string_view>> files;  // folder, text
    std::string_view path;
    bool directory;
    Verdict verdict;
    bool ignoreCase = false;
};

}  // namespace

TEST(GitRules, LastMatchingRuleDecides) {
    constexpr Verdict kNone = Verdict::NoRule;
    constexpr Verdict kIn = Verdict::Ignored;
    constexpr Verdict kOut = Verdict::NotIgnored;
    const Case cases[] = {
        {{{"", "\n# a\n   \n"}}, "# a", false, kNone},
        {{{"", "\\#a\n"}}, "#a", false, kIn},
        {{{"", "*.o\n!x.o\n"}}, "x.o", false, kOut},
        {{{"", "\\!a\n"}}, "!a", false, kIn},
        {{{"", "a  \n"}}, "a", false, kIn},
        {{{"", "a\\ \n"}}, "a ", false, kIn},
        {{{"",
           "\xEF\xBB\xBF"
           "a\r\nb\r\n"}},
         "a",
         false,
         kIn},
        {{{"", "build/\n"}}, "build", false, kNone},
        {{{"", "/top\n"}}, "top", false, kIn},
        {{{"", "doc/frotz\n"}}, "a/doc/frotz", true, kNone},
        {{{"a/", "doc/frotz\n"}}, "a/doc/frotz", true, kIn},
        {{{"", "**/foo\n"}}, "a/b/foo", false, kIn},
        {{{"", "abc/**\n"}}, "abc/x/y", false, kIn},
        {{{"", "a/**/b\n"}}, "a/b", false, kIn},
        {{{"", "a[/x]b/c\n"}}, "axb/c", false, kIn},
        {{{"", "d/\n!d/x\n"}}, "d/x", false, kIn},  // inside an ignored folder
        {{{"", "d/*\n!d/x\n"}}, "d/x", false, kOut},
        {{{"", "*.o\n"}, {"a/", "!*.o\n"}}, "a/x.o", false, kOut},
        {{{"", "*.o\n"}, {"a/", "!*.o\n"}}, "b/x.o", false, kIn},
        {{{"", "*.O\n"}}, "x.o", false, kIn, true},
        {{{"", "D/x\n"}}, "d/x", false, kIn, true},
        {{{"", "ab/*\n"}}, "cd/ef", false, kNone, true},
        {{{"", "[[:upper:]]\n"}}, "a", false, kIn, true},
        {{{"", "[[:upper:]]\n"}}, "a", false, kNone},
    };
    for (const Case& c : cases) {
        GitRules rules(c.ignoreCase);
        for (const auto& [folder, text] : c.files) {
            rules.Push(folder);
            rules.Add(text);
        }
        EXPECT_EQ(rules.Decide(c.path, c.directory), c.verdict) << c.files.back().second << c.path;
    }
}
