// The walk with readers on several threads against the walk on the calling
// thread alone, on random trees: the same lines, counts, kinds, real names and
// unreadable folders for every walk option and thread count, as root and
// without root's rights; a stop in mid-walk leaves a prefix of the listing.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Child.h"
#include "Listing.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"

using morvash::SortKey;
using morvash::WalkOptions;
using morvash::test::Numbered;
using morvash::test::TempTree;

namespace {

// Everything a walk gives, as one text.
std::string Dump(CSerchFiles& walk) {
    std::string text =
        Numbered("", walk.gFc_GetNumOfDir(), " folders, ") +
        Numbered("", walk.gFc_GetNumOfFile(), walk.WalkStopped() ? " stopped\n" : "\n");
    for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
        text += std::string((*walk.gFc_GetListFiles())[i].view()) + " |" +
                Numbered("", static_cast<int>(walk.GetEntryType(i)), " ") +
                std::string(walk.RealName(i)) + '\n';
    }
    for (const morvash::WalkError& error : walk.WalkErrors()) {
        text += Numbered("! " + error.path + " ", error.error, "\n");
    }
    return text;
}

// Random folders down to depth 5 and files with odd names, a link, a chain of
// folders longer than PATH_MAX, git's rules, and folders closed to others in
// three ways (nothing, search only, read only).
void MakeRandomTree(const TempTree& tree, unsigned int seed) {
    std::mt19937 random(seed);
    std::vector<std::string> folders{""};  // "" is the tree's root, "/d0" a folder in it
    for (int i = 0; i < 40; ++i) {
        const std::string& parent = folders[random() % folders.size()];
        const char* kinds[] = {"/d", "/.d", "/build", "/D"};
        if (std::count(parent.begin(), parent.end(), '/') < 5) {
            folders.push_back(Numbered(parent + kinds[random() % 4], i));
            tree.makeFolder(folders.back());
        }
    }
    const char* kinds[] = {"/f", "/.h", "/b", "/x", "/t\x01", "/*s", "/v1.", "/log"};
    const char* suffixes[] = {".txt", "", ".C", ".o", "\t.c", ".txt", "10", ".log"};
    for (int i = 0; i < 200; ++i) {
        const unsigned int kind = random() % 8;
        const std::string file =
            Numbered(folders[random() % folders.size()] + kinds[kind], i % 37, suffixes[kind]);
        tree.touch(file, static_cast<off_t>(random() % 5000));
        tree.setTime(file, 1'000'000'000 + random() % 1000);
    }
    tree.link("..", folders.back() + "/up");
    tree.makeChain("", std::string(250, 'L'), 18);
    std::ofstream(tree.path(".gitignore")) << "*.o\nbuild*/\n!b3.C\nlog*\n";
    ASSERT_EQ(
        std::system(("cd '" + tree.root() + "' && git init -q && git add .gitignore").c_str()), 0);
    const mode_t modes[] = {0, 0100, 0400};
    for (std::size_t k = 0; k < 3 && k + 1 < folders.size(); ++k) {
        ::chmod(tree.path(folders[folders.size() - 1 - k]).c_str(), modes[k]);
    }
}

// Walks `root` with each case's options on several thread counts and returns
// where a listing differs from the one-threaded walk's.
std::string CompareWalks(const std::string& root) {
    struct Case {
        const char* extensions;
        void (*set)(WalkOptions&);
    };
    const Case cases[] = {
        {"", [](WalkOptions&) {}},
        {"txt C", [](WalkOptions& o) { o.extensionsIgnoreCase = true, o.maxDepth = 2; }},
        {"",
         [](WalkOptions& o) {
             o.exclude = {"d1*", "*.o", "build*/"}, o.noHidden = true;
         }},
        {"", [](WalkOptions& o) { o.sort = SortKey::Name, o.dirsFirst = true; }},
        {"", [](WalkOptions& o) { o.sort = SortKey::Version, o.reverse = true; }},
        {"", [](WalkOptions& o) { o.sort = SortKey::Size, o.oneFileSystem = true; }},
        {"", [](WalkOptions& o) { o.sort = SortKey::MTime, o.reverse = o.dirsFirst = true; }},
        {"", [](WalkOptions& o) { o.reverse = true, o.maxDepth = 0; }},
        {"", [](WalkOptions& o) { o.gitignore = true; }},
        {"c log", [](WalkOptions& o) { o.gitignore = true, o.sort = SortKey::Name; }},
    };
    std::string report;
    for (const Case& c : cases) {
        WalkOptions options;
        c.set(options);
        options.threads = 1;
        CSerchFiles alone(root.c_str(), c.extensions, options);
        const std::string expected = Dump(alone);
        for (const unsigned int threads : {0u, 2u, 3u, 7u, 64u}) {
            options.threads = threads;
            CSerchFiles walk(root.c_str(), c.extensions, options);
            if (Dump(walk) != expected) {
                report += Numbered("differs with threads ", threads, ":\n") + Dump(walk) +
                          "one thread:\n" + expected;
            }
        }
    }
    return report;
}

}  // namespace

TEST(ParallelWalk, ListsAsTheOneThreadedWalkOnRandomTrees) {
    for (const unsigned int seed : {1u, 2u, 3u}) {
        TempTree tree;
        MakeRandomTree(tree, seed);
        EXPECT_EQ(CompareWalks(tree.root()), "") << "seed " << seed;
        EXPECT_EQ(morvash::test::RunInChild([&] { return CompareWalks(tree.root()); }, true), "")
            << "seed " << seed << ", without root's rights";
    }
}

// One folder read in many batches lists every entry in the file system's
// order, as readdir gives it, whatever the thread count and however few
// files the process may open.
TEST(ParallelWalk, ReadsABigFolderWholeAndFitsTheLimitOfOpenFiles) {
    TempTree big;
    for (int i = 0; i < 3000; ++i) {
        big.touch(Numbered(std::string(60, 'n'), i));
    }
    std::string expected;
    for (const auto& entry : std::filesystem::directory_iterator(big.root())) {
        expected += entry.path().filename().string() + '\n';
    }
    WalkOptions options;
    for (const unsigned int threads : {1u, 4u}) {
        options.threads = threads;
        CSerchFiles walk(big.root().c_str(), "", options);
        std::string listed;
        for (const std::string& line : morvash::test::Lines(walk)) {
            listed += line + '\n';
        }
        EXPECT_TRUE(listed == expected) << threads << " threads";
    }
    TempTree tree;
    MakeRandomTree(tree, 6);
    options.threads = 1;
    CSerchFiles alone(tree.root().c_str(), "", options);
    const std::string whole = Dump(alone);
    for (const auto& [limit, threads] : {std::pair{16u, 0u}, {32u, 256u}}) {
        const std::string report = morvash::test::RunInChild([&, limit, threads] {
            const rlimit low{limit, limit};
            WalkOptions few;
            few.threads = threads;
            if (::setrlimit(RLIMIT_NOFILE, &low) != 0) {
                return std::string("cannot set the limit");
            }
            CSerchFiles walk(tree.root().c_str(), "", few);
            return Dump(walk) == whole ? "" : Dump(walk);
        });
        EXPECT_EQ(report, "") << limit << " files, " << threads << " threads";
    }
}

TEST(ParallelWalk, AStopInMidWalkLeavesAPrefixOfTheListing) {
    TempTree tree;
    MakeRandomTree(tree, 4);
    morvash::WalkControl control;
    WalkOptions options;
    options.threads = 1;
    CSerchFiles whole(tree.root().c_str(), "", options);
    options.threads = 8;
    options.control = &control;
    std::thread stopper([&control] {
        while (control.Entries() < 50) {
            std::this_thread::yield();
        }
        control.RequestStop();
    });
    CSerchFiles stopped(tree.root().c_str(), "", options);
    stopper.join();
    const std::vector<std::string> part = morvash::test::Lines(stopped);
    std::vector<std::string> all = morvash::test::Lines(whole);
    EXPECT_TRUE(stopped.WalkStopped() || part.size() == all.size());
    all.resize(std::min(all.size(), part.size()));
    EXPECT_EQ(part, all);
}
