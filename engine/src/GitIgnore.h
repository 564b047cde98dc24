#pragma once

// What the walk leaves out when asked to follow git: ".git", and whatever git
// ignores unless the index tracks it. libgit2 decides what is ignored, with
// git's own rules (every .gitignore on the way down, info/exclude,
// core.excludesFile). Asking it costs several system calls per name, so a
// screen read from the same rule files settles the plain cases first: a name
// that no rule can match, or whose strongest matching rule is plain ("*.o",
// "build/", "!keep.log", "/docs/api"). That also keeps a negation in a deeper
// .gitignore that re-includes a plain name, which libgit2 1.5 drops when its
// own file ignores nothing it could re-include. libgit2 decides the rest. The
// index is read once, on first need, to keep what it tracks.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvash/Export.h"

struct git_index;
struct git_repository;

namespace morvash::detail {

/// Reads the paths of git's index file `data` (format 2, 3 or 4) into `names`,
/// one after the other, and `paths`, sorted views into `names`. False when the
/// file is missing, damaged or split (its entries then in another file).
/// Exported for the engine's tests.
MORVASH_API bool ReadIndexPaths(const std::string& data, std::string& names,
                                std::vector<std::string_view>& paths);

/// What the ignore rules in force tell about one name without libgit2.
enum class Screened {
    NotIgnored,  ///< no rule matches it, or a negation settles it
    Ignored,     ///< a positive rule settles it
    Ask,         ///< libgit2 must decide
};

/// The ignore rules in force, per folder level, the weakest first. A rule
/// decides only when no stronger rule matches (the last rule of the deepest
/// file is the strongest); the screen settles a name when every rule that
/// could match it, down to the one that does, is plain: on names alone
/// without wildcards but a leading or trailing "*", or naming one path.
class IgnoreScreen {
  public:
    /// Starts a folder level; its rules go when Pop ends it.
    void Push() { marks_.push_back(rules_.size()); }
    void Pop();
    /// Settles nothing when git compares names without regard to case.
    void SetIgnoreCase(bool ignoreCase) { ignoreCase_ = ignoreCase; }
    /// Adds the rules of one ignore file's text, which lies in the folder
    /// `base` of the work tree ("" at its top, else ending with "/").
    void AddRules(std::string_view text, std::string_view base);
    /// Screens the NUL-terminated `name` of an entry in the work tree's
    /// folder `folder` ("" or ending with "/").
    Screened Screen(const char* name, std::size_t length, bool directory,
                    std::string_view folder) const;

  private:
    enum class Kind { Any, Exact, Prefix, Suffix, Glob };
    struct Rule {
        Kind kind = Kind::Any;
        std::string text;  // its last part: the literal, or the whole pattern for Glob
        std::string path;  // the one path it names, below the work tree
        bool negative = false;
        bool foldersOnly = false;
        bool exact = false;  // plain: matched here as git matches it
    };
    // Whether the rule's last part may match the name, whatever the case.
    static bool mayMatch(const Rule& rule, const char* name, std::string_view text);
    // Whether a plain rule matches the name in `folder`.
    static bool matches(const Rule& rule, std::string_view name, std::string_view folder);
    std::vector<Rule> rules_;
    std::vector<std::size_t> marks_;
    bool ignoreCase_ = false;
};

/// The git side of one walk, for a folder inside a work tree.
class GitIgnore {
  public:
    /// Opens the repository whose work tree holds `folder`; null when there is
    /// none (no repository, a bare one, or `folder` inside ".git").
    static std::unique_ptr<GitIgnore> ForFolder(const char* folder);
    ~GitIgnore();
    GitIgnore(const GitIgnore&) = delete;
    GitIgnore& operator=(const GitIgnore&) = delete;

    /// Enters a folder: the walked one when `name` is empty, else the folder
    /// `name` of the current one, which `ignored` tells git ignores (entered
    /// for its tracked files). `hasIgnoreFile`: it holds a ".gitignore".
    void Enter(std::string_view name, bool ignored, bool hasIgnoreFile);
    /// Leaves the folder entered last.
    void Leave();
    /// Tells whether the entry `name` (NUL-terminated) of the current folder
    /// is left out; sets `ignoredFolder` for a folder that git ignores but that
    /// holds tracked files, which is kept.
    bool LeftOut(const char* name, std::size_t length, bool directory, bool& ignoredFolder);

  private:
    GitIgnore() = default;
    bool ignored(std::string_view name, bool directory);
    bool askGit(const std::string& path);
    bool tracked(std::string_view name, bool directory);
    bool indexHolds(const std::string& path, bool prefix);

    git_repository* repo_ = nullptr;
    bool indexRead_ = false;
    std::string trackedNames_;               // the index's paths, one after the other
    std::vector<std::string_view> tracked_;  // each path in trackedNames_, sorted
    git_index* index_ = nullptr;             // libgit2's, when the paths could not be read
    bool folderIgnored_ = false;             // git ignores the walked folder itself
    std::string workdir_;                    // the work tree, ending with "/"
    std::string rel_;  // the current folder below it, ending with "/" ("" at its top)
    std::vector<std::size_t> relMarks_;
    std::vector<bool> ignoredLevels_;  // per level entered: git ignores that folder
    IgnoreScreen screen_;
    std::string query_;  // scratch for the paths looked up in the index
};

}  // namespace morvash::detail
