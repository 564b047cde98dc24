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
#include "Listing.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/CodePage.h"

using morvash::test::Numbered;
using morvash::test::TempTree;
using morvash::test::Time;

namespace {

// One entry as text: its line, target path, full path, title, size and time.
std::string Text(std::initializer_list<std::string_view> parts, const Time& time) {
    std::string text;
    for (const std::string_view part : parts) {
        text.append(part) += '|';
    }
    for (const int field : time) {
        text += std::to_string(field) + ' ';
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
        const bool found = ::fstatat(fd, d->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0;
        std::size_t dot = std::string::npos;
        for (std::size_t i = 0; i < name.size();
             i += cp932 && morvash::test::IsCp932Lead(name[i]) ? 2 : 1) {
            dot = name[i] == '.' ? i : dot;
        }
        for (char& c : name) {
            c = (c > 0 && c < ' ') || c == '\x7F' ? '?' : c;
        }
        name[0] = !folder && name[0] == '*' ? '?' : name[0];
        const time_t shown = info.st_mtim.tv_sec + 9 * 3600;
        tm t{};
        ::gmtime_r(&shown, &t);
        // The day of the week is the UTC date's.
        Time time{t.tm_year + 1900, t.tm_mon + 1, 0, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
        time[2] =
            int(std::chrono::weekday(std::chrono::floor<std::chrono::days>(std::chrono::sys_seconds(
                                         std::chrono::seconds(info.st_mtim.tv_sec))))
                    .c_encoding());
        time[7] = int(info.st_mtim.tv_nsec / 1'000'000);
        if (name != "." && name != "..") {
            out.push_back(
                Text({std::string(depth, '\t') + (folder ? "*" : "") + name, path + "/",
                      found ? path + "/" + d->d_name : "", found ? name.substr(0, dot) : "",
                      std::to_string(found ? info.st_size : 0)},
                     found ? time : Time{1601, 1, 1, 1}));
            const int sub =
                folder && depth < 32 ? ::openat(fd, d->d_name, O_RDONLY | O_DIRECTORY) : -1;
            if (sub >= 0) {
                Reference(sub, path + "/" + d->d_name, depth + 1, cp932, out);
            }
        }
    }
    ::closedir(dir);
}

// Walks `root` with the engine and the folder `path` (the same, without a
// final "/") with the reference; returns the first line that differs.
std::string Compare(const std::string& root, const std::string& path, bool cp932) {
    platform::SetActiveCodePage(cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);
    std::vector<std::string> expected;
    Reference(::open(path.c_str(), O_RDONLY | O_DIRECTORY), path, 0, cp932, expected);
    CSerchFiles walk(root.c_str(), MAX_SEARCH_DEPTH);
    const CStringArray& listing = *walk.gFc_GetListFiles();
    std::vector<std::string> got;
    for (int i = 0; i < listing.GetSize(); ++i) {
        const CFileInfo info = walk.gFc_GetFileInfo(i);
        const std::string length =
            std::to_string(std::uint64_t{info.m_LengthHigh} << 32 | info.m_Length);
        got.push_back(Text({listing[i].view(), walk.gFc_GetTargetPath(i).view(),
                            info.m_FullPath.view(), info.m_FileTitle.view(), length},
                           morvash::test::Fields(info.m_LastWrite)));
    }
    // Then the counters, and a line past the end, which has no target path and no details.
    const int end = listing.GetSize();
    got.push_back(morvash::test::CounterProblems(walk) +
                  std::string(walk.gFc_GetTargetPath(end).view()) +
                  std::string(walk.gFc_GetFileInfo(end).m_FullPath.view()) +
                  std::string(walk.RealName(end)) + std::string(walk.FullPath(end).view()));
    expected.emplace_back();
    // Both end with the counters' line, so a difference shows before either ends.
    const auto [a, b] = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
    return a == got.end() && b == expected.end() ? "" : "engine: " + *a + "\nreference: " + *b;
}

// Walks `root` twenty times while another thread renames its folders away
// and back; every listing must still agree with its counters.
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
        problems += morvash::test::CounterProblems(walk);
    }
    stop = true;
    changer.join();
    return problems;
}

// Makes the scenario's tree: every scenario, and every name and byte in it,
// is one that broke, or could break, a walker.
void Make(std::string_view scenario, const TempTree& tree) {
    // Every byte but "/" in short names and in names of 254 and 255 bytes,
    // invalid UTF-8, and code page 932 characters whose trail byte is "." or "\\".
    if (scenario == "OddBytesInNames") {
        std::string all;
        for (int byte = 1; byte < 256; ++byte) {
            const std::string c(1, static_cast<char>(byte));
            if (c != "/") {
                all += c;
                tree.touch("x" + c + ".t" + c);  // in code page 932 a lead byte takes the dot
                tree.touch(c == "." ? "z" : c);
            }
        }
        tree.touch(all);
        tree.makeFolder("d" + all);
        tree.touch("d" + all + "/\t\r\n*");
        for (const char* name : {"\xC3z", "\xFF\xFE", "\xE3\x81", "\xC0\xAF", "\xED\xA0\x80",
                                 "a.\x81", "\x81.\x95\\.d"}) {
            tree.makeFolder(name);
        }
        tree.touch("\x81.\x95\\.d/\x81\x2E\x82.txt", 7);
    }
    if (scenario == "FifoSocketLinkLoopsAndPathsPast4096Bytes") {
        ::mkfifo(tree.path("fifo").c_str(), 0644);
        sockaddr_un address{AF_UNIX, {}};
        tree.path("sock").copy(address.sun_path, sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(fd);
        tree.link(std::string(4000, 'x'), "long");
        const char* const links[][2] = {{"loop2", "loop1"}, {"loop1", "loop2"},
                                        {"self", "self"},   {"..", "up"},
                                        {".", "here"},      {"/no/such", "dangling"}};
        for (const auto& [target, name] : links) {
            tree.link(target, name);
        }
        const std::string middle = tree.makeChain("", std::string(200, 'd'), 12);
        tree.touch(middle + "/x.txt", 5'000'000'007);  // and a size past 4 GiB
        tree.makeChain(middle, std::string(200, 'e'), 12);
    }
    if (scenario == "MonthEndsNineHoursBeforeMidnight") {
        using namespace std::chrono;
        for (int i = 0; i < 96; ++i) {
            const sys_days day = year(2004 + i / 48) / month(1 + i / 4 % 12) / last;
            tree.touch(Numbered("t", i));
            tree.setTime(Numbered("t", i), day.time_since_epoch() / 1s + 14 * 3600 + i % 4 * 1800,
                         123'456'789);
        }
        for (const int y : {1900, 2000, 2100}) {  // century years: only 2000 has a 29 February
            const sys_days day = year(y) / February / 28;
            tree.touch(Numbered("c", y));
            tree.setTime(Numbered("c", y), day.time_since_epoch() / 1s + 20 * 3600, 0);
        }
    }
    for (int i = 0; i < 100'000 && scenario == "HundredThousandFiles"; ++i) {
        ::mknod(tree.path(Numbered("f", i)).c_str(), S_IFREG | 0644, 0);
    }
    if (scenario == "UnreadableWithoutRootRights") {
        for (const auto& [name, mode] :
             {std::pair{"closed", 0}, {"listonly", 0444}, {"enteronly", 0111}}) {
            tree.makeChain("", name, 2);
            tree.touch(std::string(name) + "/secret.txt", 10);
            ::chmod(tree.path(name).c_str(), mode);
        }
        ::mkfifo(tree.path("fifo").c_str(), 0);
    }
    for (int d = 0; d < 16 && scenario == "FoldersRenamedDuringTheWalk"; ++d) {
        tree.makeChain("", Numbered("d", d), 3);
    }
}

class Torture : public ::testing::TestWithParam<std::string> {};

TEST_P(Torture, WalkAgreesWithAnIndependentWalk) {
    const TempTree tree(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr);  // fast tmpfs
    Make(GetParam(), tree);
    // The root given with a final "/", and without one, relative to the current folder.
    const auto work = [&] {
        return GetParam() == "FoldersRenamedDuringTheWalk"
                   ? WalkWhileChanging(tree.root())
                   : Compare(tree.root() + "/", tree.root(), true) +
                         (::chdir(tree.root().c_str()) == 0 ? Compare(".", ".", false) : "chdir");
    };
    EXPECT_EQ(morvash::test::RunInChild(work, GetParam() == "UnreadableWithoutRootRights"), "");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Torture,
                         ::testing::Values("OddBytesInNames",
                                           "FifoSocketLinkLoopsAndPathsPast4096Bytes",
                                           "MonthEndsNineHoursBeforeMidnight",
                                           "HundredThousandFiles", "UnreadableWithoutRootRights",
                                           "FoldersRenamedDuringTheWalk"),
                         [](const auto& info) { return info.param; });

}  // namespace
