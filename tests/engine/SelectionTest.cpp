// Which entries a walk keeps, by name and kind, and which folders it enters;
// the version order against `ls -v` itself.

#include "Selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "TempTree.h"
#include "morvash/SerchFiles.h"

using morvash::EntryType;
using morvash::WalkOptions;
using morvash::detail::Verdict;

namespace {

constexpr EntryType kDir = EntryType::Directory;
constexpr EntryType kFile = EntryType::File;

}  // namespace

TEST(Selection, KeepsByNameKindAndWhatIsIncludedAbove) {
    struct Case {
        std::vector<std::string> exclude, include;
        bool noHidden, matchDirs;
        const char* extensions;
        const char* name;
        EntryType type;
        bool allIncluded;
        Verdict verdict;
    };
    const Case cases[] = {
        {{}, {}, false, false, "", ".env", kFile, false, Verdict::Kept},
        {{}, {}, true, false, "", ".env", kFile, false, Verdict::LeftOut},
        {{}, {}, true, false, "", ".git", kDir, false, Verdict::LeftOut},
        {{"*.o"}, {}, false, false, "", "a.o", kFile, false, Verdict::LeftOut},
        {{"build/"}, {}, false, false, "", "build", kDir, false, Verdict::LeftOut},
        {{"build/"}, {}, false, false, "", "build", EntryType::Link, false, Verdict::Kept},
        {{"b?i*"}, {}, false, false, "", "build", kFile, false, Verdict::LeftOut},
        {{}, {"*.c"}, false, false, "", "a.c", kFile, false, Verdict::Kept},
        {{}, {"*.c"}, false, false, "", "a.h", kFile, false, Verdict::LeftOut},
        {{}, {"*.c"}, false, false, "", "a.h", EntryType::Link, false, Verdict::LeftOut},
        {{}, {"*.c"}, false, false, "", "a.h", kFile, true, Verdict::Kept},
        {{}, {"*.c"}, false, false, "", "src", kDir, false, Verdict::Kept},
        {{}, {"src*"}, false, true, "", "src", kDir, false, Verdict::KeptWithAll},
        {{}, {"src*"}, false, true, "", "src", kDir, true, Verdict::Kept},
        {{}, {"src*"}, false, false, "", "src", kDir, false, Verdict::Kept},
        {{"a.c"}, {"*.c"}, false, false, "", "a.c", kFile, false, Verdict::LeftOut},
        {{}, {}, false, false, "c h", "a.h", kFile, false, Verdict::Kept},
        {{}, {}, false, false, "c h", "a.c", kFile, false, Verdict::Kept},
        {{}, {}, false, false, "c", "a.h", kFile, false, Verdict::LeftOut},
        {{}, {}, false, false, "c", "a.h", kDir, false, Verdict::Kept},
        {{}, {"*.h"}, false, false, "c", "a.h", kFile, false, Verdict::LeftOut},
    };
    for (const Case& c : cases) {
        WalkOptions options;
        options.exclude = c.exclude;
        options.include = c.include;
        options.noHidden = c.noHidden;
        options.matchDirs = c.matchDirs;
        const morvash::detail::Selection selection(c.extensions, options);
        EXPECT_EQ(selection.Keep(c.name, c.type, c.allIncluded), c.verdict) << c.name;
    }
}

TEST(Selection, EntersFoldersWithinTheDepthAndOnTheWalkedDevice) {
    WalkOptions options;
    options.maxDepth = 2;
    options.oneFileSystem = true;
    morvash::detail::Selection selection("", options);
    morvash::test::TempTree tree;
    selection.SetDevice(platform::Folder::Open(tree.root()));
    platform::FileStatus same;
    ASSERT_TRUE(platform::Folder::Open(tree.root()).Status(same));
    platform::FileStatus other = same;
    other.device = same.device + 1;
    EXPECT_TRUE(selection.Enters(1, &same));
    EXPECT_TRUE(selection.Enters(1, nullptr));  // not looked up: entered
    EXPECT_FALSE(selection.Enters(1, &other));
    EXPECT_FALSE(selection.Enters(2, &same));
}

// The name and version orders are `ls`'s and `ls -v`'s: both order the same
// names alike, in the C locale and in locales that collate by other rules
// than bytes (made here with localedef, since a machine may have none).
TEST(Order, NamesAndVersionsAsLsOrdersThem) {
    const std::vector<std::string> names = {
        "img1",
        "img010",
        "img2",
        "img10",
        "foo-1.9.1.tar.gz",
        "foo-1.9.tar.gz",
        "a~b",
        "a",
        ".hidden",
        ".a1",
        ".a10",
        "x.tar.gz",
        "x1.tar",
        "07.txt",
        "y.gz",
        "y0.gz",
        "10",
        "9",
        "file~",
        "README",
        "readme",
        "a.b.c1",
        "v1.2~rc",
        "v1.2",
        "v1.2.0",
        "007",
        "7",
        "b-2",
        "b-10.5",
        "b-10.5.txt",
        "Z9.z",
        "~x",
        "é1",
        "é01",
        "x.",
        ".x",
        "a0.1",
        "a.01",
        "1.10a~1",
        "abcdefgh1",
        "abcdefgh0",
        "abcdefgh",
        "abcdefghé",
        "abcdefg",
        "IMG_20240101_1234.jpg",
        "IMG_20240101_1233.jpg",
        "IMG_20240101_123",
        "IMG_20240101_123\xC3\xA9",
        "_under",
        "あ",
        "ア",
        "ｱ",
        "亜",
    };
    morvash::test::TempTree tree;
    tree.makeFolder("names");
    for (const std::string& name : names) {
        tree.touch("names/" + name);
    }
    tree.makeFolder("locales");
    const std::string locales = tree.path("locales");
    for (const char* locale : {"ja_JP", "en_US"}) {
        const std::string make = std::string("localedef -i ") + locale + " -f UTF-8 '" + locales +
                                 "/" + locale + ".UTF-8' 2>&1";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
    }
    ::setenv("LOCPATH", locales.c_str(), 1);
    const std::string before = std::setlocale(LC_COLLATE, nullptr);
    for (const char* locale : {"C", "ja_JP.UTF-8", "en_US.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_COLLATE, locale), nullptr) << locale;
        for (const auto& [flag, key] :
             {std::pair{"", morvash::SortKey::Name}, {"-v", morvash::SortKey::Version}}) {
            std::string listed;
            const std::string command =
                "cd '" + tree.path("names") + "' && LC_ALL=" + locale + " ls -1 -A " + flag;
            FILE* ls = ::popen(command.c_str(), "r");
            for (int c = 0; ls != nullptr && (c = std::fgetc(ls)) != EOF;) {
                listed += static_cast<char>(c);
            }
            ASSERT_TRUE(ls != nullptr && ::pclose(ls) == 0);
            WalkOptions options;
            options.sort = key;
            CSerchFiles walk(tree.path("names").c_str(), "", options);
            std::string ours;
            for (int i = 0; i < walk.gFc_GetListFiles()->GetSize(); ++i) {
                ours.append(walk.RealName(i)) += '\n';
            }
            EXPECT_EQ(ours, listed) << locale << ' ' << flag;
        }
    }
    std::setlocale(LC_COLLATE, before.c_str());
    ::unsetenv("LOCPATH");
}
