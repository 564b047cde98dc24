// The walk's options on real trees: what is left out (and never opened), the
// order of each folder, other file systems and the folders that cannot be read.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

#include "Child.h"
#include "Listing.h"
#include "TempTree.h"

using morvash::SortKey;
using morvash::WalkOptions;
using morvash::test::Numbered;
using morvash::test::TempTree;

namespace {

// The listing as one text, a line per entry.
std::string Text(CSerchFiles&& walk) {
    std::string text;
    for (const std::string& line : morvash::test::Lines(walk)) {
        text += line + '\n';
    }
    return text;
}

std::string Listing(const std::string& path, const WalkOptions& options,
                    const char* extensions = "") {
    return Text(CSerchFiles(path.c_str(), extensions, options));
}

}  // namespace

// Names are left out by glob (a leading dot matched by "*", a trailing "/"
// for folders only), by a leading dot, and files by extension, optionally
// without regard to case; a left-out folder is never opened.
TEST(WalkOptions, LeavesOutByNameAndNeverOpensWhatItLeavesOut) {
    TempTree tree;
    for (const char* folder : {"node_modules", "node_modules/pkg", ".cache", "src"}) {
        tree.makeFolder(folder);
    }
    for (const char* file : {"node_modules.txt", ".env", "src/a.c", "src/B.C", "src/a.o"}) {
        tree.touch(file);
    }
    struct Case {
        std::vector<std::string> exclude;
        bool noHidden;
        const char* extensions;
        bool ignoreCase;
        unsigned int folders;  // opened, the walked one included
        const char* listing;
    };
    const Case cases[] = {
        {{},
         false,
         "",
         false,
         5,
         "*.cache\n.env\n*node_modules\n\t*pkg\nnode_modules.txt\n*src\n\tB.C\n\ta.c\n\ta.o\n"},
        {{"node_modules/", "*.o"},
         false,
         "",
         false,
         3,
         "*.cache\n.env\nnode_modules.txt\n*src\n\tB.C\n\ta.c\n"},
        {{"*"}, false, "", false, 1, ""},
        {{"[.n]*", "?.?"}, false, "", false, 2, "*src\n"},
        {{}, true, "c", false, 4, "*node_modules\n\t*pkg\n*src\n\ta.c\n"},
        {{"node*"}, true, "c", true, 2, "*src\n\tB.C\n\ta.c\n"},
    };
    for (const Case& c : cases) {
        morvash::WalkControl control;
        WalkOptions options;
        options.exclude = c.exclude;
        options.noHidden = c.noHidden;
        options.extensionsIgnoreCase = c.ignoreCase;
        options.sort = SortKey::Name;
        options.control = &control;
        EXPECT_EQ(Listing(tree.root(), options, c.extensions), c.listing) << c.listing;
        EXPECT_EQ(control.Folders(), c.folders) << c.listing;
    }
    // The default options walk as the classic constructor does.
    EXPECT_EQ(Listing(tree.root(), WalkOptions{}, "c"),
              Text(CSerchFiles(tree.root().c_str(), "c", MAX_SEARCH_DEPTH)));
}

// Each folder's entries are reordered; its subtree follows its line at once.
TEST(WalkOptions, SortsEachFolderUnderItsLine) {
    TempTree tree;
    tree.makeFolder("d");
    for (const auto& [file, size, time] : {std::tuple{"f10.txt", 5, 300},
                                           {"f9.txt", 50, 100},
                                           {"F2.txt", 5, 200},
                                           {"d/z", 1, 1},
                                           {"d/a", 2, 2}}) {
        tree.touch(file, size);
        tree.setTime(file, time);
    }
    tree.setTime("d", 50);
    const auto listing = [&](SortKey key, bool reverse, bool dirsFirst) {
        WalkOptions options;
        options.sort = key;
        options.reverse = reverse;
        options.dirsFirst = dirsFirst;
        return Listing(tree.root(), options);
    };
    EXPECT_EQ(listing(SortKey::Name, false, false), "F2.txt\n*d\n\ta\n\tz\nf10.txt\nf9.txt\n");
    EXPECT_EQ(listing(SortKey::Name, true, false), "f9.txt\nf10.txt\n*d\n\tz\n\ta\nF2.txt\n");
    EXPECT_EQ(listing(SortKey::Name, false, true), "*d\n\ta\n\tz\nF2.txt\nf10.txt\nf9.txt\n");
    EXPECT_EQ(listing(SortKey::Version, false, false), "F2.txt\n*d\n\ta\n\tz\nf9.txt\nf10.txt\n");
    EXPECT_EQ(listing(SortKey::Size, false, true), "*d\n\ta\n\tz\nf9.txt\nF2.txt\nf10.txt\n");
    EXPECT_EQ(listing(SortKey::Size, true, true), "*d\n\tz\n\ta\nf10.txt\nF2.txt\nf9.txt\n");
    EXPECT_EQ(listing(SortKey::MTime, false, false), "f10.txt\nF2.txt\nf9.txt\n*d\n\ta\n\tz\n");
    // Unsorted but reversed: the file system's order backwards, folders first.
    std::string inD;
    std::string files;
    for (const std::string& line : morvash::test::Walk(tree.root())) {
        (line.starts_with('\t') ? inD : files).insert(0, line == "*d" ? "" : line + '\n');
    }
    EXPECT_EQ(listing(SortKey::None, true, true), "*d\n" + inD + files);
}

// Folders on another device are listed and counted, not entered.
TEST(WalkOptions, OneFileSystemListsOtherDevicesWithoutEnteringThem) {
    WalkOptions options;
    options.oneFileSystem = true;
    TempTree tree;
    tree.makeFolder("same");
    tree.touch("same/file");
    EXPECT_EQ(Listing(tree.root(), options), "*same\n\tfile\n");
    for (const bool oneFileSystem : {false, true}) {
        options.maxDepth = 1;
        options.oneFileSystem = oneFileSystem;
        struct stat dev {};
        struct stat pts {};
        if (::stat("/dev", &dev) != 0 || ::stat("/dev/pts", &pts) != 0 ||
            dev.st_dev == pts.st_dev) {
            GTEST_SKIP() << "no file system mounted on /dev/pts";
        }
        const std::string listing = std::string("\n").append(Listing("/dev", options));
        EXPECT_NE(listing.find("\n*pts\n"), std::string::npos);
        EXPECT_EQ(listing.find("\tptmx\n") == std::string::npos, oneFileSystem) << listing;
    }
}

// Every folder that cannot be read is reported with its path as built, the
// walked one included; the rest of the walk goes on. A left-out folder is
// never opened, so it cannot fail.
TEST(WalkOptions, ReportsEveryFolderThatCannotBeRead) {
    TempTree tree;
    for (const char* folder : {"locked", "skipped", "open", "open/locked"}) {
        tree.makeFolder(folder);
    }
    tree.touch("open/locked/inside");
    tree.touch("open/file");
    for (const char* folder : {"locked", "skipped", "open/locked"}) {
        ::chmod(tree.path(folder).c_str(), 0);
    }
    const std::string report = morvash::test::RunInChild(
        [&]() -> std::string {
            WalkOptions options;
            options.exclude = {"skipped"};
            options.sort = SortKey::Name;
            for (const std::string& root : {tree.root(), tree.root() + "/"}) {
                CSerchFiles walk(root.c_str(), "", options);
                const std::vector<morvash::WalkError>& errors = walk.WalkErrors();
                if (errors.size() != 2 || errors[0].path != root + "/locked" ||
                    errors[1].path != root + "/open/locked" || errors[0].error != EACCES ||
                    errors[1].error != EACCES || walk.gFc_GetListFiles()->GetSize() != 4) {
                    return "unexpected errors or lines walking " + root;
                }
            }
            return "";
        },
        true);
    EXPECT_EQ(report, "");
    CSerchFiles missing(tree.path("missing").c_str(), MAX_SEARCH_DEPTH);
    ASSERT_EQ(missing.WalkErrors().size(), 1u);
    EXPECT_EQ(missing.WalkErrors()[0].path, tree.path("missing"));
    EXPECT_EQ(missing.WalkErrors()[0].error, ENOENT);
}

// Only files matching -P patterns are listed (all below a matching folder with
// matchDirs); pruning then drops folders with nothing listed below them.
TEST(WalkOptions, IncludesAndPrunes) {
    TempTree tree;
    for (const char* folder : {"docs", "docs/img", "src", "src/lib", "empty", "deep", "deep/er"}) {
        tree.makeFolder(folder);
    }
    for (const char* file : {"a.c", "b.h", "docs/guide.md", "docs/img/x.png", "src/lib/y.c"}) {
        tree.touch(file);
    }
    const auto listing = [&](std::vector<std::string> include, bool matchDirs, bool prune) {
        WalkOptions options;
        options.include = std::move(include);
        options.matchDirs = matchDirs;
        options.prune = prune;
        options.sort = SortKey::Name;
        return Listing(tree.root(), options);
    };
    EXPECT_EQ(listing({"*.c"}, false, false),
              "a.c\n*deep\n\t*er\n*docs\n\t*img\n*empty\n*src\n\t*lib\n\t\ty.c\n");
    EXPECT_EQ(listing({"*.c"}, false, true), "a.c\n*src\n\t*lib\n\t\ty.c\n");
    EXPECT_EQ(listing({"docs"}, true, true), "*docs\n\tguide.md\n\t*img\n\t\tx.png\n");
    EXPECT_EQ(listing({}, false, true),
              "a.c\nb.h\n*docs\n\tguide.md\n\t*img\n\t\tx.png\n*src\n\t*lib\n\t\ty.c\n");
    // A name shown otherwise than it is keeps its real name when folders
    // listed after it are pruned.
    tree.touch("\x01.c");
    WalkOptions options;
    options.include = {"*.c"};
    options.prune = true;
    options.sort = SortKey::Name;
    CSerchFiles walk(tree.root().c_str(), "", options);
    EXPECT_EQ(std::string(walk.RealName(0)), "\x01.c");
    EXPECT_EQ(morvash::test::Lines(walk)[0], "?.c");
}

// Each listed entry's details and each link's target are read once, while
// its folder is read; a folder that may be read but not entered lists its
// entries, not found, and is reported once.
TEST(WalkOptions, ReadsDetailsAndLinkTargetsWithTheFolder) {
    TempTree tree;
    tree.makeFolder("dir");
    tree.makeFolder("shut");
    tree.touch("file", 1234);
    tree.setTime("file", 1'000'000'000, 5);
    tree.touch("shut/inside");
    tree.link("file", "to-file");
    tree.link("nowhere", "dangling");
    ::chmod(tree.path("file").c_str(), 0751);
    ::chmod(tree.path("shut").c_str(), 0555 & ~0111);
    const std::string report = morvash::test::RunInChild(
        [&]() -> std::string {
            WalkOptions options;
            options.details = options.linkTargets = true;
            options.sort = SortKey::Name;
            CSerchFiles walk(tree.root().c_str(), "", options);
            std::string text;
            for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
                const morvash::EntryDetails* details = walk.Details(i);
                const morvash::LinkTarget* target = walk.GetLinkTarget(i);
                text += std::string(walk.RealName(i)) + (details->found ? " found" : " missing");
                if (std::string(walk.RealName(i)) == "file") {
                    text += Numbered(" ", details->size) + Numbered(" ", details->seconds) +
                            Numbered(".", details->nanoseconds) +
                            Numbered(" ", details->mode & 07777) + Numbered(" ", details->links);
                }
                if (target != nullptr) {
                    text += " -> " + target->text + (target->dangling ? " dangling" : "") +
                            Numbered(" ", (target->mode & 07777));
                }
                text += '\n';
            }
            for (const morvash::WalkError& error : walk.WalkErrors()) {
                text += Numbered(
                    error.path.substr(tree.root().size()) + " ", error.error,
                    error.kind == morvash::WalkError::Kind::LookUp ? " lookup\n" : " read\n");
            }
            return text + (walk.Details(-1) == nullptr ? "" : "outside");
        },
        true);
    EXPECT_EQ(report, Numbered("dangling found -> nowhere dangling 0\n"
                               "dir found\n"
                               "file found 1234 1000000000.5 489 1\n"
                               "shut found\n"
                               "inside missing\n"
                               "to-file found -> file 489\n"
                               "/shut ",
                               EACCES, " lookup\n"));
    CSerchFiles plain(tree.root().c_str(), "", WalkOptions{});
    EXPECT_EQ(plain.Details(0), nullptr);
    EXPECT_EQ(plain.GetLinkTarget(0), nullptr);
}
