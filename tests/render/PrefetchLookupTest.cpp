#include "tandrel/render/PrefetchLookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "TempTree.h"

namespace {

using tandrel::PrefetchLookup;

constexpr int kRing = PrefetchLookup::kChunkLines * PrefetchLookup::kRingChunks;
const std::function<bool(int)> kNone = [](int) { return false; };

// Line i's record, every field of which tells i apart.
auto Details(int i) {
    CFileInfo info;
    info.m_FullPath = CString(std::string("/").append(std::to_string(i)));
    info.m_FileTitle = CString(std::to_string(i));
    info.m_Length = static_cast<unsigned int>(i);
    info.m_LengthHigh = static_cast<unsigned int>(i % 5);
    info.m_LastWrite.wMinute = static_cast<WORD>(i % 60);
    return info;
}

auto Fields(const CFileInfo& info) {
    return std::tuple(std::string(info.m_FullPath.view()), std::string(info.m_FileTitle.view()),
                      info.m_Length, info.m_LengthHigh, info.m_LastWrite.wMinute);
}

// A lookup of `count` lines with `workers` workers computes Details(i) for the
// lines `wanted` accepts, throwing for those `fails` accepts, while the caller
// asks for every line below `stop` but `skipped`, in order, and checks each
// answer. Once the lookup has ended, every line asked for has been computed
// once and no other line twice; the wanted lines on workers, when there are
// any, and never further ahead of the caller than the ring allows.
TEST(PrefetchLookup, ComputesEachWantedLineOnceOnItsWorkersAheadOfTheCaller) {
    const std::function<bool(int)> all = [](int) { return true; };
    const std::function<bool(int)> most = [](int i) { return i % 7 != 3; };
    const std::function<bool(int)> sparse =
        [](int i) {  // runs of unwanted lines longer than the ring
            return i == 0 || i == kRing + 5 || i == kRing + 6 || i == 3 * kRing + 64 ||
                   i == 4 * kRing;
        };
    const std::function<bool(int)> two = [](int i) { return i == 5 || i == kRing + 10; };
    const std::tuple<int, std::function<bool(int)>, unsigned int, int, std::function<bool(int)>,
                     int>
        kRuns[] = {
            {5 * kRing + 17, most, 1, 5 * kRing + 17, kNone, -1},
            {5 * kRing + 17, most, 4, 5 * kRing + 18, kNone, -1},
            {4 * kRing + 1, sparse, 2, 4 * kRing + 1, kNone, -1},
            {300, most, 0, 300, kNone, -1},
            {70, most, 4, 70, kNone, -1},
            {0, most, 4, 0, kNone, -1},
            {10 * kRing, all, 2, 0, kNone, -1},
            {10 * kRing, all, 2, kRing + 1, kNone, -1},
            {3 * kRing, all, 2, 3 * kRing, two, 5},
        };
    for (const auto& [count, wanted, workers, stop, fails, skipped] : kRuns) {
        std::vector<std::atomic<int>> calls(static_cast<std::size_t>(count) + 1);
        std::atomic<int> asked{0}, offThread{0}, tooFarAhead{0};
        const std::thread::id caller = std::this_thread::get_id();
        {
            PrefetchLookup lookup(
                count, wanted,
                [&](int i) {
                    ++calls[static_cast<std::size_t>(i)];
                    offThread += std::this_thread::get_id() != caller ? 1 : 0;
                    tooFarAhead +=
                        i / PrefetchLookup::kChunkLines - asked / PrefetchLookup::kChunkLines >=
                        PrefetchLookup::kRingChunks;
                    return fails(i) ? throw std::bad_alloc() : Details(i);
                },
                workers);
            for (int i = 0; i < stop; ++i) {
                asked = i == skipped ? asked.load() : i;
                if (i != skipped && fails(i)) {
                    EXPECT_THROW(lookup(i), std::bad_alloc);
                } else if (i != skipped) {
                    EXPECT_EQ(Fields(lookup(i)), Fields(Details(i))) << i;
                }
            }
        }
        int wantedCalls = 0;
        for (int i = 0; i <= count; ++i) {
            const bool askedFor = i < stop && i != skipped;
            ASSERT_TRUE(askedFor ? calls[i] == 1 : calls[i] <= 1) << i;
            wantedCalls += i < count && wanted(i) ? calls[i].load() : 0;
        }
        EXPECT_EQ(offThread.load(), workers == 0 ? 0 : wantedCalls);
        EXPECT_EQ(tooFarAhead.load(), 0);
    }
}

// Without file names the renderer asks for no line, so no worker starts.
TEST(PrefetchLookup, FileInfoOfAnEngine) {
    morvash::test::TempTree tree;
    tree.touch("f");
    CSerchFiles engine(tree.root().c_str(), "", MAX_SEARCH_DEPTH);
    EXPECT_EQ(tandrel::PrefetchFileInfo(engine, false, 2)->workers(), 0u);
    EXPECT_EQ(Fields((*tandrel::PrefetchFileInfo(engine, true, 2))(0)),
              Fields(engine.gFc_GetFileInfo(0)));
}

}  // namespace
