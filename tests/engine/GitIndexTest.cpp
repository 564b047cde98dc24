// Git's index as git writes it: thousands of entries with long paths, in
// formats 2 to 4, with the extensions git adds, and split.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "GitIndex.h"
#include "Shell.h"
#include "TempTree.h"

using morvash::test::Shell;
using morvash::test::TempTree;
using namespace std::string_literals;
using namespace std::string_view_literals;

TEST(GitIndex, ReadsThePathsGitWrites) {
    const TempTree home;
    morvash::test::IsolateGit(home.root());
    TempTree tree;
    // Counts, sizes and the bytes format 4 drops from the path before all
    // take more than one byte.
    for (int folder = 0; folder < 40; ++folder) {
        const std::string name = morvash::test::Numbered("d", folder, std::string(200, 'x'));
        tree.makeFolder(name);
        for (int file = 0; file < 60; ++file) {
            tree.touch(name + morvash::test::Numbered("/f", file, std::string(50, 'y')));
        }
    }
    const std::string cd = "cd '" + tree.root() + "' && ";
    const std::string ieot =
        "git -c index.recordEndOfIndexEntries=true -c index.recordOffsetTable=true"
        " -c index.threads=2 update-index --index-version ";
    const std::string merge =
        "git checkout -qb b && echo 1 > c && git add c && git commit -qm b && "
        "git checkout -q - && echo 2 > c && git add c && git commit -qm m && "
        "{ git merge -q b >/dev/null; echo 3 > c && git add c; }";
    // The first entry and three folders in a row deleted, not the folder
    // between them: the bitmap holds a lone bit, then a run of set words; a
    // replaced entry, which carries no path.
    const std::string split =
        "git update-index --split-index && touch later && "
        "git -c splitIndex.maxPercentChange=100 add later && "
        "git -c splitIndex.maxPercentChange=100 rm -rq --cached c 'd1[1-3]*' && "
        "echo 1 > new && git -c splitIndex.maxPercentChange=100 add new";
    const std::pair<std::string, std::string_view> steps[] = {
        {"git init -q && git add .", "DIRC\0\0\0\2"sv},
        {"git commit -qm a", "TREE"},
        {merge, "REUC"},
        {"touch new && git add -N new", "DIRC\0\0\0\3"sv},  // an extended entry
        {"git update-index --untracked-cache && git status -s", "UNTR"},
        {ieot + "4", "IEOT"},
        {ieot + "2", "EOIE"},
        {split, "link"},
    };
    for (const auto& [command, mark] : steps) {
        Shell(cd + command);
        std::ifstream file(tree.path(".git/index"), std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(file), {}};
        EXPECT_NE(data.find(mark), data.npos) << command;
        const std::string tracked = Shell(cd + "git ls-files -c");
        morvash::detail::GitIndex index;
        ASSERT_TRUE(index.Read(tree.path(".git/")));
        ASSERT_TRUE(index.Read(tree.path(".git/")));  // a second read replaces the first
        std::string names;
        std::vector<std::string_view> paths;
        const bool whole = morvash::detail::ReadIndexPaths(data, names, paths);
        EXPECT_EQ(whole, mark != "link");
        EXPECT_TRUE(!whole || paths == index.Paths());
        std::string otherVersions[] = {data, data};
        otherVersions[0][7] = '\1';
        otherVersions[1][7] = '\5';
        for (const std::string& damaged :
             {data.substr(0, data.size() - 1), data + "abc", otherVersions[0], otherVersions[1]}) {
            EXPECT_FALSE(morvash::detail::ReadIndexPaths(damaged, names, paths));
        }
        std::string read;
        for (const std::string_view path : index.Paths()) {
            read.append(path) += '\n';
        }
        EXPECT_EQ(read, tracked) << command;
    }
}

// The padding of format 2's last entry must end where the checksum begins.
TEST(GitIndex, AnEntryEndsBeforeTheChecksum) {
    const std::string entry = "DIRC\0\0\0\2\0\0\0\1"s + std::string(62, '\0') + "ab";
    std::string names;
    std::vector<std::string_view> paths;
    EXPECT_TRUE(morvash::detail::ReadIndexPaths(entry + std::string(8 + 20, '\0'), names, paths));
    EXPECT_EQ(paths, std::vector<std::string_view>{"ab"});
    EXPECT_FALSE(
        morvash::detail::ReadIndexPaths(entry + '\0' + std::string(20, 'h'), names, paths));
    // No entries, then an extension of no bytes; and the same under another signature.
    const std::string empty = "DIRC\0\0\0\2\0\0\0\0TREE\0\0\0\0"s + std::string(20, 'h');
    EXPECT_TRUE(morvash::detail::ReadIndexPaths(empty, names, paths));
    EXPECT_FALSE(morvash::detail::ReadIndexPaths("DIRX" + empty.substr(4), names, paths));
    morvash::detail::GitIndex none;
    EXPECT_FALSE(none.Read(TempTree().path("no-git/")));
}
