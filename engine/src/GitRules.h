#pragma once

// Git's ignore rules, as gitignore(5) gives them, for paths below a work
// tree: the rules of each ignore file in force, one level per file, and the
// verdict the last matching rule gives. Pure: the caller reads the files.
//
// The levels are kept as a stack, the weakest first (core.excludesFile, then
// info/exclude, both for the whole tree, then each folder's .gitignore on
// the way down); the last matching rule of the strongest level decides.
//
//     GitRules rules;
//     rules.Push("");                   // the top folder's .gitignore
//     rules.Add("*.log\n!keep.log\nbuild/\n");
//     rules.Push("src/");               // src/.gitignore
//     rules.Add("/gen\n");
//     rules.Match("src/a.log", false);  // Ignored
//     rules.Match("src/keep.log", false);  // NotIgnored
//     rules.Match("src/gen", true);     // Ignored
//     rules.Match("gen", true);         // NoRule: "/gen" is src/'s
//     rules.Decide("build/x.c", false); // Ignored: its folder is

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Glob.h"
#include "morvash/Export.h"

namespace morvash::detail {

/// What the rules say about one path.
enum class IgnoreVerdict {
    NoRule,      ///< no rule matches it
    Ignored,     ///< the last matching rule ignores it
    NotIgnored,  ///< the last matching rule is a negation ("!...")
};

class MORVASH_API GitRules {
  public:
    /// Makes an empty stack; with `ignoreCase` (core.ignorecase) names and
    /// patterns are compared without regard to ASCII case.
    explicit GitRules(bool ignoreCase = false) : ignoreCase_(ignoreCase) {}

    /// Starts the level of one ignore file that lies in the folder `base`
    /// ("" for the top of the work tree and for the files that apply
    /// everywhere, else ending with "/").
    void Push(std::string_view base);
    /// Ends the level Push started last, with its rules.
    void Pop();
    /// Adds the rules of an ignore file's text to the current level: one per
    /// line; blank lines and lines starting with "#" hold none; "\#" and "\!"
    /// start a rule with "#" or "!"; trailing spaces go unless escaped; a
    /// byte-order mark at the start is skipped.
    void Add(std::string_view text);

    /// Gives the verdict of the last matching rule for `path` (below the work
    /// tree, no leading or trailing "/"), a folder when `directory`.
    IgnoreVerdict Match(std::string_view path, bool directory) const;
    /// As Match, but a path inside an ignored folder is ignored whatever its
    /// own rules say: git does not look inside such a folder.
    IgnoreVerdict Decide(std::string_view path, bool directory) const;

  private:
    struct Rule {
        Glob glob;            // the pattern, or what follows its literal beginning
        std::string literal;  // that beginning, for a rule on paths
        bool negative = false;
        bool foldersOnly = false;
        bool onNames = false;  // no "/" in it: matched against the last name only
        int slashes = -1;      // the "/" a path it matches holds below its folder; -1: any
    };
    struct Level {
        std::string base;
        std::size_t first = 0;  // its first rule in rules_
    };
    void addRule(std::string_view line);
    bool matches(const Rule& rule, std::string_view path, std::string_view base, int slashes) const;

    std::vector<Rule> rules_;
    std::vector<Level> levels_;
    bool ignoreCase_;
};

}  // namespace morvash::detail
