// The torture folder: trees built to break walkers, each walked in a child (a
// watchdog ends a hang) in both code pages. The listing, the counters, and
// each line's target path and details must be what an independent walk of
// the same tree with readdir and lstat says.

#include <dirent.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "Calendar.h"
#include "Child.h"
#include "Cp932.h"
#include "TempTree.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"

using morvash::test::Numbered;
using morvash::test::TempTree;
using morvash::test::Time;

namespace {

// One entry as text: its line, target path, full path, title, size and time.
std::string Text(std::string_view line, std::string_view target, std::string_view full,
                 std::string_view title, std::uint64_t size, const Time& time) {
    std::string text = std::string(line) + '|' + std::string(target) + '|' + std::string(full) +
                       '|' + std::string(title) + '|' + std::to_string(size);
    for (const int field : time) {
        text += ' ' + std::to_string(field);
    }
    return text;
}

// Appends the entries of the open folder `fd`, named `path`, at `depth`, and
// those of its folders down to depth 32: names shown as listings show them
// (control bytes, and a file's leading "*", as "?"), the title up to the last
// ".", the time nine hours on with the day of the week of the UTC date.
void Reference(int fd, const std::string& path, int depth, bool cp932,
               std::vector<std::string>& out) {
    DIR* const dir = ::fdopendir(fd);
    while (const dirent* d = ::readdir(dir)) {
        std::string name = d->d_name;
        const bool folder = d->d_type == DT_DIR;
        struct stat info {};
        const bool found = ::fstatat(::dirfd(dir), d->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0;
        std::size_t dot = std::string::npos;
        for (std::size_t i = 0; i < name.size();
             i += cp932 && morvash::test::IsCp932Lead(name[i]) ? 2 : 1) {
            dot = name[i] == '.' ? i : dot;
        }
        for (char& c : name) {
            c = (c > 0 && c < ' ') || c == '\x7F' ? '?' : c;
        }
        name[0] = !folder && name[0] == '*' ? '?' : name[0];
        const time_t shifted = info.st_mtim.tv_sec + 9 * 3600;
        tm t{};
        ::gmtime_r(&shifted, &t);
        const Time time{t.tm_year + 1900,
                        t.tm_mon + 1,
                        int(info.st_mtim.tv_sec / 86400 + 4) % 7,
                        t.tm_mday,
                        t.tm_hour,
                        t.tm_min,
                        t.tm_sec,
                        int(info.st_mtim.tv_nsec / 1'000'000)};
        if (name != "." && name != "..") {
            out.push_back(Text(std::string(depth, '\t') + (folder ? "*" : "") + name, path + "/",
                               found ? path + "/" + d->d_name : "",
                               found ? name.substr(0, dot) : "", found ? info.st_size : 0,
                               found ? time : Time{1601, 1, 1, 1}));
            const int sub = folder && depth < 32
                                ? ::openat(::dirfd(dir), d->d_name, O_RDONLY | O_DIRECTORY)
                                : -1;
            if (sub >= 0) {
                Reference(sub, path + "/" + d->d_name, depth + 1, cp932, out);
            }
        }
    }
    ::closedir(dir);
}

// Walks `root` with the engine; returns the first line that differs from the reference.
std::string Compare(const std::string& root, bool cp932) {
    platform::SetActiveCodePage(cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);
    std::vector<std::string> expected;
    Reference(::open(root.c_str(), O_RDONLY | O_DIRECTORY), root, 0, cp932, expected);
    CSerchFiles walk(root.c_str(), MAX_SEARCH_DEPTH);
    const CStringArray& listing = *walk.gFc_GetListFiles();
    std::vector<std::string> got;
    unsigned int folders = 0;
    for (int i = 0; i < listing.GetSize(); ++i) {
        const std::string_view line = listing[i].view();
        const CFileInfo info = walk.gFc_GetFileInfo(i);
        folders += morvash::IsDirectoryLine(line) ? 1 : 0;
        got.push_back(Text(line, walk.gFc_GetTargetPath(i).view(), info.m_FullPath.view(),
                           info.m_FileTitle.view(),
                           std::uint64_t{info.m_LengthHigh} << 32 | info.m_Length,
                           morvash::test::Fields(info.m_LastWrite)));
    }
    got.push_back(std::to_string(walk.gFc_GetNumOfDir() - folders) + " " +
                  std::to_string(walk.gFc_GetNumOfFile() + folders));
    expected.push_back("0 " + std::to_string(expected.size()));
    const auto [a, b] = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    return a == got.end() && b == expected.end()
               ? ""
               : "engine: " + (a == got.end() ? "" : *a) +
                     "\nreference: " + (b == expected.end() ? "" : *b);
}

// Walks `root` twenty times while another thread renames its folders away
// and back: each listing must still be well formed (no line more than one
// level below the line before, and deeper only after a directory line) with
// consistent counters.
std::string WalkWhileChanging(const std::string& root) {
    std::atomic<bool> stop{false};
    std::thread changer([&] {
        for (int round = 0; !stop; ++round) {
            const std::string folder = root + Numbered("/d", round % 16);
            ::rename(folder.c_str(), (folder + ".moved").c_str());
            ::rename((folder + ".moved").c_str(), folder.c_str());
        }
    });
    std::string problems;
    for (int round = 0; round < 20; ++round) {
        CSerchFiles walk(root.c_str(), MAX_SEARCH_DEPTH);
        unsigned int folders = 0;
        int deepest = 0;  // the deepest the next line may lie
        const CStringArray& listing = *walk.gFc_GetListFiles();
        for (int i = 0; i < listing.GetSize(); ++i) {
            const morvash::ListingLine line = morvash::ReadListingLine(listing[i].view());
            problems += line.depth > deepest ? Numbered("too deep: line ", i, "\n") : "";
            deepest = line.depth + (line.directory ? 1 : 0);
            folders += line.directory ? 1 : 0;
        }
        problems +=
            folders == walk.gFc_GetNumOfDir() && walk.gFc_GetNumOfFile() + folders ==
                                                     unsigned(walk.gFc_GetListFiles()->GetSize())
                ? ""
                : "wrong counters\n";
    }
    stop = true;
    changer.join();
    return problems;
}

struct Scenario {
    const char* name;
    void (*make)(const TempTree&);
    bool unprivileged = false;
    bool changing = false;
};

const Scenario kScenarios[] = {
    {"EveryByteInNames",
     [](const TempTree& tree) {
         std::string all;
         for (int byte = 1; byte < 256; ++byte) {
             const std::string c(1, static_cast<char>(byte));
             if (c != "/") {
                 all += c;
                 tree.touch("x" + c + "y.t" + c);
                 tree.touch(c == "." ? "z" : c);
             }
         }
         tree.touch(all);
         tree.makeFolder("d" + all.substr(1));
         tree.touch("d" + all.substr(1) + "/\t\r\n*");
     }},
    {"InvalidUtf8AndCodePage932Trails",
     [](const TempTree& tree) {
         for (const char* name : {"\xC3", "\xFF\xFE", "\xE3\x81", "\xC0\xAF", "abc\x81",
                                  "\xED\xA0\x80", "a.\x81", "\x81\x2E\x82.txt"}) {
             tree.touch(name);
         }
         tree.makeFolder("\x95\x5C.d");
         tree.touch("\x95\x5C.d/\x81.\x95\x5C", 7);
     }},
    {"LongNamesPathsAndSizes",
     [](const TempTree& tree) {
         std::string japanese;
         for (int i = 0; i < 85; ++i) {
             japanese += "\xE3\x81\x82";  // U+3042: 255 bytes in all
         }
         tree.makeFolder(japanese);
         tree.touch(japanese + "/" + std::string(255, 'a'), 5'000'000'007);
         const std::string middle = tree.makeChain("", std::string(200, 'd'), 12);
         tree.touch(middle + "/x.txt", 12);
         tree.makeChain(middle, std::string(200, 'e'), 12);  // past 4096 bytes of path
     }},
    {"FifoSocketAndLinkLoops",
     [](const TempTree& tree) {
         ::mkfifo(tree.path("fifo").c_str(), 0644);
         sockaddr_un address{AF_UNIX, {}};
         tree.path("sock").copy(address.sun_path, sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
         ::close(fd);
         for (const auto& [target, name] : {std::pair<std::string, const char*>{"loop2", "loop1"},
                                            {"loop1", "loop2"},
                                            {"self", "self"},
                                            {"..", "up"},
                                            {".", "here"},
                                            {"/no/such", "dangling"},
                                            {std::string(4000, 'x'), "long"}}) {
             tree.link(target, name);
         }
     }},
    {"MonthEndsNineHoursBeforeMidnight",
     [](const TempTree& tree) {
         using namespace std::chrono;
         for (int i = 0; i < 96; ++i) {
             const sys_days day = year(2004 + i / 48) / month(1 + i / 4 % 12) / last;
             tree.touch(Numbered("t", i));
             tree.setTime(Numbered("t", i), day.time_since_epoch() / 1s + 14 * 3600 + i % 4 * 1800,
                          123'456'789);
         }
     }},
    {"HundredThousandFiles",
     [](const TempTree& tree) {
         for (int i = 0; i < 100'000; ++i) {
             ::mknod(tree.path(Numbered("f", i)).c_str(), S_IFREG | 0644, 0);
         }
     }},
    {"UnreadableWithoutRootRights",
     [](const TempTree& tree) {
         for (const auto& [name, mode] :
              {std::pair{"closed", 0}, {"listonly", 0444}, {"enteronly", 0111}}) {
             tree.makeChain("", name, 2);
             tree.touch(std::string(name) + "/secret.txt", 10);
             ::chmod(tree.path(name).c_str(), mode);
         }
         tree.touch("secret.bin", 77);
         ::chmod(tree.path("secret.bin").c_str(), 0);
         ::mkfifo(tree.path("fifo").c_str(), 0);
     },
     true},
    {"FoldersRenamedDuringTheWalk",
     [](const TempTree& tree) {
         for (int d = 0; d < 16; ++d) {
             tree.makeChain("", Numbered("d", d), 3);
         }
     },
     false, true},
};

class Torture : public ::testing::TestWithParam<Scenario> {};

TEST_P(Torture, WalkAgreesWithAnIndependentWalk) {
    const TempTree tree(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr);  // fast tmpfs
    GetParam().make(tree);
    const auto work = [&] {
        return GetParam().changing ? WalkWhileChanging(tree.root())
                                   : Compare(tree.root(), false) + Compare(tree.root(), true);
    };
    EXPECT_EQ(morvash::test::RunInChild(work, GetParam().unprivileged && ::geteuid() == 0), "");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Torture, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
