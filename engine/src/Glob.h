#pragma once

// One compiled shell pattern, in the two dialects the engine matches with.
//
// Names (the default), for the walk's exclude and include patterns, each
// matched against one entry name as fnmatch(3) without flags matches it:
//   *       any run of characters, a leading "." included
//   ?       one character
//   [...]   one character of a set: members, ranges ("a-z"), "!" or "^" first
//           to negate, classes ("[:digit:]", "[:alpha:]", ... POSIX's twelve;
//           beyond ASCII only in UTF-8, where the C library's locale decides
//           as for fnmatch); "]" first is a member; a "[" never closed is
//           itself
//   \c      the character c itself
// A character is one of the active code page (UTF-8 or 932, as it was when
// the pattern was made); a name or a pattern that is not valid text in it is
// matched byte by byte. Sets compare code points (UTF-8) or the double-byte
// code (932).
//
// Git (kGit), for git's ignore rules: git's wildmatch on bytes. As above,
// except that a "[" never closed, or a set naming an unknown class, makes the
// pattern match nothing, and that a range's lower end is a member too ("[b-a]"
// matches "b"). With kPathname, "*", "?" and sets never match "/",
// while "**" standing alone between slashes, or at either end ("**/x",
// "x/**", "a/**/b"), matches any number of folders, none included. kFoldCase
// compares ASCII letters without regard to case, as git does with
// core.ignorecase: the text is folded to lower case, and so are the pattern's
// letters outside sets (escaped ones excepted); in a set, ranges and "[:upper:]"/"[:lower:]" take
// either case, single members only their own ("[B]" matches neither "b" nor
// "B", as in git).
//
// Plain patterns ("name", "*.o", "build*", "*") are compared without the
// general matcher, so that matching every name of a walk stays cheap.
//
//     const Glob sources("*.[ch]");
//     sources.Matches("main.c");                                   // true
//     const Glob rule("doc/**/*.txt", Glob::kGit | Glob::kPathname);
//     rule.Matches("doc/a/b/x.txt");                               // true

#include <string>
#include <string_view>

#include "morvash/Export.h"

namespace morvash::detail {

class MORVASH_API Glob {
  public:
    /// Dialect and options, or-ed together.
    enum Flags : unsigned {
        kNames = 0,           ///< entry names, characters of the active code page
        kGit = 1U << 0,       ///< git's wildmatch on bytes
        kPathname = 1U << 1,  ///< with kGit: wildcards stop at "/", "**" spans folders
        kFoldCase = 1U << 2,  ///< ASCII letters match either case
    };

    /// Compiles `pattern` in the dialect `flags` gives.
    explicit Glob(std::string_view pattern, unsigned flags = kNames);

    /// Tells whether the whole of `text` matches.
    bool Matches(std::string_view text) const;

    /// Returns the pattern as given.
    const std::string& Pattern() const noexcept { return pattern_; }

  private:
    enum class Form { Any, Exact, Prefix, Suffix, General };
    enum class Units : unsigned char { Bytes, Utf8, Cp932 };
    bool same(std::string_view text, std::string_view literal) const;

    std::string pattern_;
    std::string literal_;  // the plain part of a plain pattern
    unsigned flags_;
    Form form_ = Form::General;
    Units units_ = Units::Bytes;
};

}  // namespace morvash::detail
