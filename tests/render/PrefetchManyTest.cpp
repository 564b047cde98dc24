// The look-ahead lookup computing each chunk with one call: every wanted line
// handed over in order, each chunk's wanted lines in one call; a call that
// throws has its chunk computed line by line, so that the failure reaches the
// caller of its line only.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <span>

#include "tandrel/render/PrefetchLookup.h"

using tandrel::PrefetchLookup;

namespace {

CFileInfo Info(int index) {
    CFileInfo info;
    info.m_Length = static_cast<unsigned int>(index);
    return info;
}

}  // namespace

TEST(PrefetchLookupMany, ComputesEachChunksWantedLinesInOneCall) {
    constexpr int kChunk = PrefetchLookup::kChunkLines;
    const int count = 3 * kChunk * PrefetchLookup::kRingChunks + 17;
    const auto wanted = [](int index) { return index % 5 != 1; };
    const auto wantedIn = [&](int chunk) {
        int lines = 0;
        for (int i = chunk * kChunk; i < std::min(count, (chunk + 1) * kChunk); ++i) {
            lines += wanted(i) ? 1 : 0;
        }
        return lines;
    };
    for (const int failing : {-1, 2 * kChunk + 10}) {
        SCOPED_TRACE(failing);
        std::atomic<int> calls{0};
        std::atomic<int> alone{0};
        std::atomic<int> misfits{0};  // lines handed to a call that it should not hold
        const auto compute = [&](int index) {
            ++alone;
            return index == failing ? throw std::bad_alloc() : Info(index);
        };
        const auto many = [&](std::span<const int> lines, std::span<CFileInfo> records) {
            ++calls;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                const bool fits = wanted(lines[k]) && lines[k] / kChunk == lines[0] / kChunk &&
                                  (k == 0 || lines[k - 1] < lines[k]);
                misfits += fits ? 0 : 1;
                records[k] = lines[k] == failing ? throw std::bad_alloc() : Info(lines[k]);
            }
            misfits += std::ssize(lines) == wantedIn(lines[0] / kChunk) ? 0 : 1;
        };
        {
            PrefetchLookup lookup(count, wanted, compute, many, 3);
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
        EXPECT_EQ(alone, failing < 0 ? 0 : wantedIn(failing / kChunk));
    }
}
