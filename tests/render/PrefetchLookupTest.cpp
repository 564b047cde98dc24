#include "tandrel/render/PrefetchLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

using tandrel::PrefetchLookup;

namespace {

// The path the fake lookup gives line `index`: "/" and the index.
CString FakePath(int index) {
    std::string path(1, '/');
    path += std::to_string(index);
    return CString(path);
}

constexpr int kRingLines = PrefetchLookup::kChunkLines * PrefetchLookup::kRingChunks;

// A stand-in for the engine's lookup: the record of line i has size i and the
// path "/i"; it counts its calls per line, notes which threads made them and
// checks that no line is computed further ahead of the caller than the ring
// allows.
class CountingLookup {
  public:
    explicit CountingLookup(int count) : calls_(static_cast<std::size_t>(count)) {}

    PrefetchLookup::Compute compute() {
        return [this](int index) {
            calls_[static_cast<std::size_t>(index)].fetch_add(1);
            if (std::this_thread::get_id() != caller_) {
                ++offThread_;
            }
            // The caller's chunk (or the one before it) bounds the ring's window.
            const int askedChunk = asked_.load() / PrefetchLookup::kChunkLines;
            if (index / PrefetchLookup::kChunkLines - askedChunk >= PrefetchLookup::kRingChunks) {
                ++tooFarAhead_;
            }
            if (index == throwAt_) {
                throw std::bad_alloc();
            }
            CFileInfo info;
            info.m_FullPath = FakePath(index);
            info.m_Length = static_cast<unsigned int>(index);
            return info;
        };
    }

    /// Asks `lookup` for line `index` as the renderer does.
    CFileInfo ask(PrefetchLookup& lookup, int index) {
        asked_.store(std::max(asked_.load(), index));
        return lookup(index);
    }

    int calls(int index) const { return calls_[static_cast<std::size_t>(index)].load(); }
    int offThread() const { return offThread_.load(); }
    int tooFarAhead() const { return tooFarAhead_.load(); }
    void throwAt(int index) { throwAt_ = index; }

  private:
    std::vector<std::atomic<int>> calls_;
    const std::thread::id caller_ = std::this_thread::get_id();
    std::atomic<int> asked_{0};
    std::atomic<int> offThread_{0};
    std::atomic<int> tooFarAhead_{0};
    int throwAt_ = -1;
};

// Asks for every wanted line in order, checks each answer, and then, once the
// workers have ended, that each wanted line was computed exactly once and no
// other line at all.
void AskAllInOrder(int count, const PrefetchLookup::Wanted& wanted, unsigned int workers) {
    CountingLookup fake(count);
    {
        PrefetchLookup lookup(count, wanted, fake.compute(), workers);
        EXPECT_EQ(lookup.workers(), workers);
        for (int i = 0; i < count; ++i) {
            if (wanted(i)) {
                const CFileInfo info = fake.ask(lookup, i);
                ASSERT_EQ(info.m_Length, static_cast<unsigned int>(i));
                ASSERT_EQ(info.m_FullPath, FakePath(i));
            }
        }
    }
    int computed = 0;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(fake.calls(i), wanted(i) ? 1 : 0) << "line " << i;
        computed += fake.calls(i);
    }
    EXPECT_EQ(fake.offThread(), computed);
    EXPECT_EQ(fake.tooFarAhead(), 0);
}

TEST(PrefetchLookup, HandsEveryWantedLineOverInOrderComputedOnce) {
    const auto wanted = [](int index) { return index % 7 != 3; };
    for (const unsigned int workers : {1u, 2u, 4u}) {
        SCOPED_TRACE(workers);
        AskAllInOrder(5 * kRingLines + 17, wanted, workers);
    }
}

TEST(PrefetchLookup, PassesOverRunsOfUnwantedLinesLongerThanTheRing) {
    // Wanted: the first line, a few in the middle, the last; between them
    // runs of more than the ring's worth of lines that no one asks for.
    const int count = 4 * kRingLines;
    const auto wanted = [count](int index) {
        return index == 0 || index == kRingLines + 5 || index == kRingLines + 6 ||
               index == 3 * kRingLines + 64 || index == count - 1;
    };
    AskAllInOrder(count, wanted, 2);
}

TEST(PrefetchLookup, StopsCleanlyWhenTheCallerStopsEarly) {
    const int count = 10 * kRingLines;
    for (const int asked : {0, 1, 100, kRingLines + 1}) {
        SCOPED_TRACE(asked);
        CountingLookup fake(count);
        {
            PrefetchLookup lookup(
                count, [](int) { return true; }, fake.compute(), 2);
            for (int i = 0; i < asked; ++i) {
                ASSERT_EQ(fake.ask(lookup, i).m_Length, static_cast<unsigned int>(i));
            }
        }
        // The lines asked for were computed once; the rest at most once,
        // and none beyond the ring's window.
        for (int i = 0; i < count; ++i) {
            if (i < asked) {
                ASSERT_EQ(fake.calls(i), 1) << "line " << i;
            } else {
                ASSERT_LE(fake.calls(i), 1) << "line " << i;
            }
        }
        EXPECT_EQ(fake.tooFarAhead(), 0);
    }
}

TEST(PrefetchLookup, AFailureReachesTheCallerOfItsLineOnly) {
    const int count = 3 * kRingLines;
    const int failing = kRingLines + 10;
    CountingLookup fake(count);
    fake.throwAt(failing);
    PrefetchLookup lookup(
        count, [](int) { return true; }, fake.compute(), 2);
    for (int i = 0; i < count; ++i) {
        if (i == failing) {
            EXPECT_THROW(fake.ask(lookup, i), std::bad_alloc);
        } else {
            ASSERT_EQ(fake.ask(lookup, i).m_Length, static_cast<unsigned int>(i));
        }
    }
    EXPECT_EQ(fake.calls(failing), 1);
}

TEST(PrefetchLookup, AFailureLeftUnaskedDoesNotHoldTheWorkersBack) {
    const int count = 3 * kRingLines;
    CountingLookup fake(count);
    fake.throwAt(5);
    PrefetchLookup lookup(
        count, [](int) { return true; }, fake.compute(), 2);
    EXPECT_EQ(fake.ask(lookup, 2 * kRingLines).m_Length, 2u * kRingLines);
}

TEST(PrefetchLookup, AsksOutOfOrderOrForUnwantedLinesComputeDirectly) {
    const int count = 1000;
    CountingLookup fake(count + 1);
    PrefetchLookup lookup(
        count, [](int index) { return index % 2 == 0; }, fake.compute(), 2);
    EXPECT_EQ(fake.ask(lookup, 10).m_Length, 10u);
    EXPECT_EQ(lookup(4).m_Length, 4u);    // before the last one asked
    EXPECT_EQ(lookup(11).m_Length, 11u);  // a line that no worker computes
    EXPECT_EQ(fake.calls(11), 1);
    EXPECT_EQ(lookup(count).m_Length, static_cast<unsigned int>(count));  // past the end
    EXPECT_EQ(fake.ask(lookup, 12).m_Length, 12u);
}

TEST(PrefetchLookup, WithoutWorkersEveryCallComputesOnTheCallersThread) {
    const int count = 300;
    CountingLookup fake(count);
    {
        PrefetchLookup lookup(
            count, [](int) { return true; }, fake.compute(), 0);
        EXPECT_EQ(lookup.workers(), 0u);
        for (int i = 0; i < count; i += 3) {
            ASSERT_EQ(fake.ask(lookup, i).m_Length, static_cast<unsigned int>(i));
        }
    }
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(fake.calls(i), i % 3 == 0 ? 1 : 0);
    }
    EXPECT_EQ(fake.offThread(), 0);
}

TEST(PrefetchLookup, AnEmptyListingStartsNoWorker) {
    CountingLookup fake(1);
    const PrefetchLookup lookup(
        0, [](int) { return true; }, fake.compute(), 4);
    EXPECT_EQ(lookup.workers(), 0u);
}

}  // namespace
