// The look-ahead lookup computing each chunk with one call: every wanted line
// handed over in order, each chunk's wanted lines (and no others) in one call;
// a call that throws has its chunk computed line by line, so that the failure
// reaches the caller of its line only.

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <span>

#include "tandrel/render/PrefetchLookup.h"

using tandrel::PrefetchLookup;

TEST(PrefetchLookupMany, ComputesEachChunksWantedLinesInOneCall) {
    constexpr int kChunk = PrefetchLookup::kChunkLines;
    const int count = 3 * kChunk * PrefetchLookup::kRingChunks + 17;
    const auto wanted = [](int index) { return index % 5 != 1; };
    const auto record = [](int index, int failing) {
        CFileInfo info;
        info.m_Length = static_cast<unsigned int>(index);
        return index == failing ? throw std::bad_alloc() : info;
    };
    for (const int failing : {-1, 2 * kChunk + 10}) {
        std::atomic<int> calls{0};
        std::atomic<int> misfits{0};  // lines handed to a call that it should not hold
        std::atomic<int> alone{0};
        const auto many = [&](std::span<const int> indexes, std::span<CFileInfo> records) {
            ++calls;
            for (std::size_t k = 0; k < indexes.size(); ++k) {
                const bool fits = wanted(indexes[k]) && indexes[k] / kChunk == indexes[0] / kChunk;
                misfits += fits ? 0 : 1;
                records[k] = record(indexes[k], failing);
            }
        };
        {
            PrefetchLookup lookup(
                count, wanted, [&](int index) { return ++alone, record(index, failing); }, many, 3);
            for (int i = 0; i < count; ++i) {
                if (i == failing) {
                    EXPECT_THROW(lookup(i), std::bad_alloc);
                } else if (wanted(i)) {
                    ASSERT_EQ(lookup(i).m_Length, static_cast<unsigned int>(i));
                }
            }
        }
        EXPECT_EQ(calls, (count + kChunk - 1) / kChunk);
        EXPECT_EQ(misfits, 0);
        // Alone: the failing chunk's wanted lines, 64 less the 13 at index % 5 == 1.
        EXPECT_EQ(alone, failing < 0 ? 0 : 51);
    }
}
