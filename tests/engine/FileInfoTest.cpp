#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "Calendar.h"
#include "Listing.h"
#include "TempTree.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/ExtensionModule.h"

using morvash::test::DayOfWeek;
using morvash::test::Fields;
using morvash::test::IndexOf;
using morvash::test::Seconds;
using morvash::test::TempTree;
using morvash::test::Time;
using namespace std::chrono;

namespace {

// Returns "t" followed by the number.
std::string CaseName(std::size_t i) {
    return morvash::test::Numbered("t", static_cast<long long>(i));
}

// Walks `tree` and returns the details of its depth-0 file `name`.
CFileInfo Details(const TempTree& tree, const std::string& name) {
    CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
    return walk.gFc_GetFileInfo(IndexOf(walk, name));
}

struct Shift {
    year_month_day utc;
    int hour, minute, second;
    Time shown;  // dayOfWeek -1: that of the UTC date
};

TEST(FileInfo, TimeMovesNineHoursWithCalendarRollOver) {
    const std::vector<Shift> cases = {
        {2005y / 12 / 31, 23, 0, 0, {2006, 1, -1, 1, 8, 0, 0, 0}},
        {2005y / 2 / 28, 15, 0, 0, {2005, 3, -1, 1, 0, 0, 0, 0}},
        {2004y / 2 / 28, 15, 0, 0, {2004, 2, -1, 29, 0, 0, 0, 0}},
        {2004y / 2 / 29, 15, 0, 0, {2004, 3, -1, 1, 0, 0, 0, 0}},
        {2100y / 2 / 28, 15, 0, 0, {2100, 2, -1, 29, 0, 0, 0, 0}},
        {2005y / 4 / 30, 15, 0, 0, {2005, 5, -1, 1, 0, 0, 0, 0}},
        {2005y / 4 / 29, 15, 0, 0, {2005, 4, -1, 30, 0, 0, 0, 0}},
        {2005y / 1 / 31, 15, 0, 0, {2005, 2, -1, 1, 0, 0, 0, 0}},
        {2005y / 1 / 30, 15, 0, 0, {2005, 1, -1, 31, 0, 0, 0, 0}},
        {2005y / 6 / 15, 14, 59, 0, {2005, 6, -1, 15, 23, 59, 0, 0}},
        {2005y / 6 / 15, 15, 0, 0, {2005, 6, -1, 16, 0, 0, 0, 0}},
        {2005y / 6 / 15, 10, 37, 42, {2005, 6, -1, 15, 19, 37, 42, 0}},
        {2006y / 12 / 31, 20, 0, 0, {2007, 1, 0, 1, 5, 0, 0, 0}},  // Sunday, shown on a Monday
    };
    TempTree tree;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = CaseName(i);
        tree.touch(name);
        tree.setTime(name, Seconds(cases[i].utc, cases[i].hour, cases[i].minute, cases[i].second));
    }
    CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Time expected = cases[i].shown;
        if (expected.dayOfWeek < 0) {
            expected.dayOfWeek = DayOfWeek(cases[i].utc);
        }
        const CFileInfo info = walk.gFc_GetFileInfo(IndexOf(walk, CaseName(i)));
        EXPECT_EQ(Fields(info.m_LastWrite), expected) << "case " << i;
    }
}

TEST(FileInfo, MillisecondsComeFromTheNanoseconds) {
    TempTree tree;
    tree.touch("f");
    tree.setTime("f", Seconds(2010y / 3 / 4, 1, 2, 3), 456'789'999);
    EXPECT_EQ(Fields(Details(tree, "f").m_LastWrite),
              (Time{2010, 3, DayOfWeek(2010y / 3 / 4), 4, 10, 2, 3, 456}));
}

TEST(FileInfo, TimesOutside1601To30827Clamp) {
    // Needs a file system that keeps such times (tmpfs does; ext4 stops at 1901 and 2446).
    if (::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/shm";
    }
    TempTree tree("/dev/shm");
    tree.touch("old");
    tree.touch("late");
    tree.setTime("old", -20'000'000'000);
    tree.setTime("late", 2'000'000'000'000'000);
    struct stat info {};
    ASSERT_EQ(::lstat(tree.path("old").c_str(), &info), 0);
    if (info.st_mtim.tv_sec != -20'000'000'000) {
        GTEST_SKIP() << "the file system clamped the time itself";
    }
    EXPECT_EQ(Fields(Details(tree, "old").m_LastWrite), (Time{1601, 1, 1, 1, 9, 0, 0, 0}));
    EXPECT_EQ(Fields(Details(tree, "late").m_LastWrite),
              (Time{30828, 1, DayOfWeek(30827y / 12 / 31), 1, 8, 59, 59, 999}));
}

TEST(FileInfo, FoundEntryGivesPathTitleAndSize) {
    TempTree tree;
    tree.touch("archive.tar.gz", 1234);
    tree.touch(".profile", 5);
    tree.touch("Makefile");
    tree.makeFolder("dir.d");
    const std::string root = tree.root() + "/";
    const CFileInfo archive = Details(tree, "archive.tar.gz");
    EXPECT_EQ(archive.m_FullPath, (root + "archive.tar.gz").c_str());
    EXPECT_EQ(archive.m_FileTitle, "archive.tar");
    EXPECT_EQ(archive.m_Length, 1234u);
    EXPECT_EQ(archive.m_LengthHigh, 0u);
    const CFileInfo profile = Details(tree, ".profile");
    EXPECT_EQ(profile.m_FullPath, (root + ".profile").c_str());
    EXPECT_EQ(profile.m_FileTitle, "");
    EXPECT_EQ(profile.m_Length, 5u);
    EXPECT_EQ(Details(tree, "Makefile").m_FileTitle, "Makefile");
    const CFileInfo dir = Details(tree, "*dir.d");
    EXPECT_EQ(dir.m_FullPath, (root + "dir.d").c_str());
    EXPECT_EQ(dir.m_FileTitle, "dir");
}

TEST(FileInfo, FileRemovedAfterTheWalkIsNotFound) {
    TempTree tree;
    tree.touch("gone.txt", 10);
    CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
    tree.remove("gone.txt");
    const CFileInfo info = walk.gFc_GetFileInfo(0);
    EXPECT_EQ(info.m_FullPath, "");
    EXPECT_EQ(info.m_FileTitle, "");
}

TEST(FileInfo, LeadingBlanksBelongToTheName) {
    TempTree tree;
    tree.touch("a.txt", 1);
    tree.touch(" a.txt", 2);
    tree.touch("  a.txt", 3);
    tree.touch(" only", 4);
    for (const auto& [name, size] :
         {std::pair{"a.txt", 1u}, {" a.txt", 2u}, {"  a.txt", 3u}, {" only", 4u}}) {
        const CFileInfo info = Details(tree, name);
        EXPECT_EQ(info.m_FullPath, tree.path(name).c_str());
        EXPECT_EQ(info.m_Length, size) << '"' << name << '"';
    }
}

TEST(FileInfo, NamesShownWithQuestionMarksAreFound) {
    TempTree tree;
    tree.touch("*star", 1);
    tree.touch("?star", 2);
    tree.touch("tab\there", 3);
    tree.makeFolder("cr\rdir");
    tree.touch("cr\rdir/*", 4);
    CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
    const auto details = [&](std::string_view line) {
        return walk.gFc_GetFileInfo(IndexOf(walk, line));
    };
    // "?star" is both the real "?star" and the shown "*star"; the first is "*star".
    const CStringArray& listing = *walk.gFc_GetListFiles();
    std::vector<unsigned int> questionStars;
    for (int i = 0; i < listing.GetSize(); ++i) {
        if (listing[i] == "?star") {
            const CFileInfo info = walk.gFc_GetFileInfo(i);
            questionStars.push_back(info.m_Length);
            EXPECT_EQ(info.m_FullPath, tree.path(info.m_Length == 1 ? "*star" : "?star").c_str());
        }
    }
    std::sort(questionStars.begin(), questionStars.end());
    EXPECT_EQ(questionStars, std::vector<unsigned int>({1, 2}));
    const CFileInfo tab = details("tab?here");
    EXPECT_EQ(tab.m_FullPath, tree.path("tab\there").c_str());
    EXPECT_EQ(tab.m_FileTitle, "tab?here");
    EXPECT_EQ(tab.m_Length, 3u);
    const CFileInfo inside = details("\t?");
    EXPECT_EQ(inside.m_FullPath, tree.path("cr\rdir/*").c_str());
    EXPECT_EQ(inside.m_Length, 4u);
    EXPECT_EQ(walk.gFc_GetTargetPath(IndexOf(walk, "\t?")), tree.path("cr\rdir/").c_str());
}

TEST(FileInfo, SymbolicLinksGiveTheirOwnDetails) {
    TempTree tree;
    tree.touch("big", 100'000);
    tree.link("big", "tobig");
    tree.link("no/such/target", "dangling");
    tree.setTime("big", Seconds(2020y / 1 / 1, 0));
    tree.setTime("tobig", Seconds(2001y / 1 / 1, 0));
    const CFileInfo link = Details(tree, "tobig");
    EXPECT_EQ(link.m_Length, 3u);
    EXPECT_EQ(link.m_LastWrite.wYear, 2001);
    const CFileInfo dangling = Details(tree, "dangling");
    EXPECT_EQ(dangling.m_FullPath, tree.path("dangling").c_str());
    EXPECT_EQ(dangling.m_Length, 14u);
}

TEST(FileInfo, SizesOf4GiBAndMoreKeepTheirHighBits) {
    TempTree tree;
    tree.touch("four", std::int64_t{1} << 32);
    tree.touch("five", (std::int64_t{5} << 30) + 7);
    const CFileInfo four = Details(tree, "four");
    EXPECT_EQ(four.m_Length, 0u);
    EXPECT_EQ(four.m_LengthHigh, 1u);
    const CFileInfo five = Details(tree, "five");
    EXPECT_EQ(five.m_Length, 0x4000'0007u);
    EXPECT_EQ(five.m_LengthHigh, 1u);
}

TEST(FileInfo, CopiesAndAssignmentsCarryEveryField) {
    TempTree tree;
    tree.touch("f.txt", (std::int64_t{3} << 32) + 9);
    tree.setTime("f.txt", Seconds(2004y / 2 / 29, 15, 1, 2), 3'000'000);
    const CFileInfo found = Details(tree, "f.txt");
    const auto same = [&](const CFileInfo& copy) {
        EXPECT_EQ(copy.m_FullPath, found.m_FullPath);
        EXPECT_EQ(copy.m_FileTitle, found.m_FileTitle);
        EXPECT_EQ(copy.m_Length, 9u);
        EXPECT_EQ(copy.m_LengthHigh, 3u);
        EXPECT_EQ(Fields(copy.m_LastWrite), (Time{2004, 3, 0, 1, 0, 1, 2, 3}));
    };
    const CFileInfo copied(found);
    same(copied);
    CFileInfo assigned;
    EXPECT_EQ(&(assigned = found), &assigned);
    same(assigned);
    EXPECT_EQ(found.m_FileTitle, "f");
}

TEST(FileInfo, DefaultRecordIsNotFound) {
    const CFileInfo info;
    EXPECT_EQ(info.m_FullPath, "");
    EXPECT_EQ(info.m_FileTitle, "");
    EXPECT_EQ(info.m_Length, 0u);
    EXPECT_EQ(info.m_LengthHigh, 0u);
    EXPECT_EQ(Fields(info.m_LastWrite), (Time{1601, 1, 1, 1, 0, 0, 0, 0}));
}

// Both queries' answers about line `index`: "target|full path|title|size".
std::string Answers(CSerchFiles& walk, int index) {
    const CFileInfo info = walk.gFc_GetFileInfo(index);
    std::string text(walk.gFc_GetTargetPath(index).view());
    text += '|';
    text += info.m_FullPath.view();
    text += '|';
    text += info.m_FileTitle.view();
    text += '|';
    text += std::to_string(info.m_Length);
    return text;
}

TEST(FileInfo, QueriesFromSeveralThreadsAnswerAsFromOne) {
    TempTree tree;
    tree.makeFolder("a");
    tree.makeFolder("a/b\tc");  // a real name unlike its shown name, on the path
    for (int i = 0; i < 40; ++i) {
        const std::string name = CaseName(static_cast<std::size_t>(i));
        tree.touch(name + ".txt", i);
        tree.touch("a/" + name, 1000 + i);
        tree.touch("a/b\tc/*" + name, 2000 + i);
    }
    CSerchFiles walk(tree.root().c_str(), MAX_SEARCH_DEPTH);
    const int lines = walk.gFc_GetListFiles()->GetSize();
    std::vector<std::string> expected;
    for (int i = 0; i < lines; ++i) {
        expected.push_back(Answers(walk, i));
    }

    // Every thread asks about every line, each starting elsewhere.
    constexpr int kThreads = 4;
    std::vector<std::vector<std::string>> answers(kThreads,
                                                  std::vector<std::string>(expected.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int k = 0; k < lines; ++k) {
                const int i = (k + t * lines / kThreads) % lines;
                answers[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)] =
                    Answers(walk, i);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::vector<std::string>& answer : answers) {
        EXPECT_EQ(answer, expected);
    }
    EXPECT_EQ(expected[static_cast<std::size_t>(IndexOf(walk, "\t\t?t7"))],
              tree.path("a/b\tc/") + '|' + tree.path("a/b\tc/*t7") + "|?t7|2007");
}

TEST(Module, MorvashIsChainedOnceWhileLoaded) {
    EXPECT_EQ(AfxCountExtensionModules("Morvash"), 1);
}

}  // namespace
