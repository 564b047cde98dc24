// The walk with git's rules lists the files `git ls-files --cached --others
// --exclude-standard` lists, and inside a nested repository or a submodule
// those its own git lists there.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Listing.h"
#include "Shell.h"
#include "TempTree.h"

using morvash::test::Shell;
using morvash::test::TempTree;
using Paths = std::set<std::string>;

namespace {

// The files git lists in `rel` of the tree `root` and below, with those of
// each repository inside as git lists them from there.
void GitLists(const std::string& root, const std::string& rel, Paths& files) {
    const std::string output = Shell("cd '" + root + '/' + rel +
                                     "' && git ls-files -z -c -o --exclude-standard 2>/dev/null");
    for (std::size_t start = 0, end = 0; (end = output.find('\0', start)) != output.npos;
         start = end + 1) {
        const std::string path = rel + output.substr(start, end - start);
        if (std::filesystem::is_directory(std::filesystem::symlink_status(root + '/' + path))) {
            GitLists(root, path.ends_with('/') ? path : path + '/', files);
        } else {
            files.insert(path);
        }
    }
}

// The files and the folders a walk of `root` lists.
std::pair<Paths, Paths> Walked(const std::string& root, bool gitignore) {
    morvash::WalkOptions options;
    options.gitignore = gitignore;
    CSerchFiles walk(root.c_str(), "", options);
    Paths files;
    Paths folders;
    for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
        const bool folder = walk.GetEntryType(i) == morvash::EntryType::Directory;
        (folder ? folders : files)
            .insert(std::string(walk.FullPath(i).view().substr(root.size() + 1)));
    }
    return {files, folders};
}

struct Case {
    const char* paths;  // blank-separated: "d/" a folder, "l>t" a link to t, else an empty file
    std::vector<std::pair<const char*, const char*>> texts;  // files with their text
    std::string setup;                                       // shell commands at the top
    std::vector<std::string> from = {""};                    // the folders walked
};

}  // namespace

TEST(GitIgnore, WalkListsWhatGitLists) {
    const TempTree home;
    morvash::test::IsolateGit(home.root());
    const Case cases[] = {
        {"build/ docs/ docs/sub/ sub/ sub/cache/ empty/ build/out.bin build/tracked.txt docs/x.tmp "
         "docs/sub/y.tmp docs/sub/notes top.txt a.log keep.log cache sub/top.txt sub/a.log "
         "sub/b.md sub/cache/c Build.o x.bak keep.bak sub/build>../docs arch.log/ arch.log/f",
         {{".gitignore", "*.log\n!keep.log\nbuild/\n/top.txt\ndocs/*.tmp\ncache\n*.o\nnotes\n"},
          {"sub/.gitignore", "\xEF\xBB\xBF!a.log\n*.md\n!cache/\n?uild/\n"}},
         "git init -q && git add -f .gitignore build/tracked.txt Build.o && "
         "echo '*.bak' > ~/.config/git/ignore && echo '!keep.bak' > .git/info/exclude",
         {"", "sub", "build", "sub/cache"}},
        {"a.txt sub/ sub/b.txt .gitignore>rules sub/.gitignore>../rules",
         {{"rules", "*.txt\n"}},
         "git init -q"},
        {"_x Ay ay by", {{".gitignore", "[A-z]x\n[B-a]y\n"}}, "git init -q"},
        {"au Bl 1u me x.bak",
         {{".gitignore", "[[:upper:]]u\n[[:lower:]]l\n"}, {"mine", "M*\n"}},
         "git init -q && git config core.ignorecase true && echo '*.bak' > ~/.config/git/ignore && "
         "git config core.excludesFile \"$PWD/mine\""},
        {"d/ d/\\ a\\ b", {{".gitignore", "*/\\\\\na\\\nb\n"}}, "git init -q"},
        {"t t\t", {{".gitignore", "t\t\n"}}, "git init -q"},
        {"n/ n/a.log n/b.tmp n/kept.tmp n/x.bak",
         {{".gitignore", "*.log\n"}, {"n/.gitignore", "*.tmp\n"}},
         "git init -q && git init -q n && echo x.bak > n/.git/info/exclude && "
         "git -C n add -f kept.tmp",
         {"", "n"}},
        {"origin/ origin/a.log origin/x.bak",
         {{".gitignore", "*.log\n"}},
         "git init -q origin && git -C origin add . && git -C origin commit -qm o && "
         "git init -q && git -c protocol.file.allow=always submodule add -q ./origin sub && "
         "echo '*.bak' >> .git/modules/sub/info/exclude && touch sub/y.bak sub/z.log",
         {"", "sub"}},
        {"a.o b.o c.o gone.o later.o other.o",
         {{".gitignore", "*.o\n"}},
         "git init -q && git add -f a.o b.o c.o gone.o && git update-index --split-index && "
         "git -c splitIndex.maxPercentChange=100 add -f later.o && "
         "git -c splitIndex.maxPercentChange=100 rm -q --cached gone.o"},
    };
    for (const Case& c : cases) {
        TempTree tree;
        std::istringstream paths(c.paths);
        for (std::string path; std::getline(paths, path, ' ');) {
            const std::size_t arrow = path.find('>');
            if (arrow != path.npos) {
                tree.link(path.substr(arrow + 1), path.substr(0, arrow));
            } else {
                path.ends_with('/') ? tree.makeFolder(path) : tree.touch(path);
            }
        }
        for (const auto& [path, text] : c.texts) {
            std::ofstream(tree.path(path)) << text;
        }
        // Outside a work tree nothing is left out.
        EXPECT_EQ(Walked(tree.root(), true), Walked(tree.root(), false));
        Shell("mkdir -p ~/.config/git && cd '" + tree.root() + "' && " + c.setup);
        for (const std::string& from : c.from) {
            const std::string root = from.empty() ? tree.root() : tree.path(from);
            Paths listed;
            GitLists(root, "", listed);
            const auto [files, folders] = Walked(root, true);
            EXPECT_EQ(files, listed) << c.setup << " in '" << from << "'";
            if (c.from.size() == 4 && from.empty()) {
                EXPECT_EQ(folders,
                          (Paths{"build", "docs", "docs/sub", "sub", "sub/cache", "empty"}));
            }
        }
        Shell("rm -f ~/.config/git/ignore");
    }
}
