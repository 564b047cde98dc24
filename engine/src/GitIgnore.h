#pragma once

// What the walk leaves out when asked to follow git: ".git", and whatever git
// ignores unless its index tracks it, so that a work tree's files are those
// `git ls-files --cached --others --exclude-standard` lists.
//
// Each repository met on the way down (the one that holds the walked folder,
// then any nested repository or submodule: a folder holding a ".git" that
// opens as a repository with a work tree) is seen as git sees it from
// inside: its own .gitignore files (never through a symbolic link), its
// info/exclude, core.excludesFile (else git/ignore in the XDG configuration
// folder), core.ignorecase, and its own index; the rules of the repository
// around it do not reach inside. libgit2 finds the repositories and reads
// their configuration; GitRules decides, GitIndex tells what is tracked.
//
// The walk drives it folder by folder, on one thread:
//
//     auto git = GitIgnore::ForFolder("/src/project/lib");   // null: no work tree
//     git->Enter("", false, hasIgnoreFile);                   // the walked folder
//     git->LeftOut("a.o", 3, false, ignoredFolder);           // each of its entries
//     git->Enter("sub", ignoredFolder, hasIgnoreFile);        // a folder kept
//     ...
//     git->Leave();                                           // once per Enter

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvash::detail {

struct GitLibrary;

class GitIgnore {
  public:
    /// Whether a folder entered holds an entry named ".git".
    enum class GitEntry {
        Unknown,  ///< not known: Enter looks
        Absent,
        Present,
    };

    /// Opens the repository whose work tree holds `folder`; null when there is
    /// none (no repository, a bare one, or `folder` inside ".git").
    static std::unique_ptr<GitIgnore> ForFolder(const char* folder);
    ~GitIgnore();
    GitIgnore(const GitIgnore&) = delete;
    GitIgnore& operator=(const GitIgnore&) = delete;

    /// Enters a folder: the walked one when `name` is empty, else the folder
    /// `name` of the current one, which `ignored` tells git ignores (entered
    /// for its tracked files). `hasIgnoreFile`: it holds an entry named
    /// ".gitignore", of any kind. `gitEntry`: whether it holds one named
    /// ".git", which may make it a nested repository's top.
    void Enter(std::string_view name, bool ignored, bool hasIgnoreFile,
               GitEntry gitEntry = GitEntry::Unknown);
    /// Leaves the folder entered last.
    void Leave();
    /// Tells whether the entry `name` (NUL-terminated) of the current folder
    /// is left out; sets `ignoredFolder` for a folder that git ignores but that
    /// holds tracked files, which is kept.
    bool LeftOut(const char* name, std::size_t length, bool directory, bool& ignoredFolder);

  private:
    struct Repository;
    struct Level {
        std::size_t relSize = 0;  // the current repository's rel before it
        bool ignored = false;     // git ignores this folder
        bool opensRepository = false;
    };
    explicit GitIgnore(const GitLibrary& library);
    Repository& current() { return *repositories_.back(); }

    const GitLibrary& library_;
    std::vector<std::unique_ptr<Repository>> repositories_;  // the outermost first
    std::vector<Level> levels_;                              // per folder entered
    bool folderIgnored_ = false;                             // git ignores the walked folder itself
    std::string path_;  // scratch: a path below the current work tree
};

}  // namespace morvash::detail
