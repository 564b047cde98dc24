#include "morvash/platform/SystemTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>

#include "Calendar.h"

using morvash::test::DayOfWeek;
using morvash::test::Seconds;
using morvash::test::Time;
using namespace std::chrono;

namespace {

Time BreakDown(std::int64_t seconds, std::int64_t nanoseconds) {
    const FILETIME time = platform::FileTimeFromUnix(seconds, nanoseconds);
    SYSTEMTIME st{};
    EXPECT_TRUE(FileTimeToSystemTime(&time, &st));
    return morvash::test::Fields(st);
}

TEST(SystemTime, UnixEpochIsAThursday) {
    const FILETIME epoch = platform::FileTimeFromUnix(0, 0);
    const auto ticks = (std::uint64_t{epoch.dwHighDateTime} << 32) | epoch.dwLowDateTime;
    EXPECT_EQ(ticks, 116'444'736'000'000'000u);
    EXPECT_EQ(BreakDown(0, 0), (Time{1970, 1, 4, 1, 0, 0, 0, 0}));
}

TEST(SystemTime, BreaksDownToTheMillisecond) {
    const std::int64_t t = Seconds(2004y / February / 29, 10, 37, 42);
    EXPECT_EQ(BreakDown(t, 999'999'999), (Time{2004, 2, 0, 29, 10, 37, 42, 999}));
    EXPECT_EQ(BreakDown(-1, 500'000'000), (Time{1969, 12, 3, 31, 23, 59, 59, 500}));
}

TEST(SystemTime, TimesBefore1601ClampToItsFirstInstant) {
    const FILETIME first = platform::FileTimeFromUnix(-20'000'000'000, 5);
    EXPECT_EQ(first.dwLowDateTime, 0u);
    EXPECT_EQ(first.dwHighDateTime, 0u);
    EXPECT_EQ(BreakDown(-20'000'000'000, 5), (Time{1601, 1, 1, 1, 0, 0, 0, 0}));
    const std::int64_t justBefore = Seconds(1601y / January / 1, 0) - 1;
    EXPECT_EQ(BreakDown(justBefore, 999'999'999), (Time{1601, 1, 1, 1, 0, 0, 0, 0}));
}

TEST(SystemTime, TimesAfter30827ClampToItsLastMillisecond) {
    const int lastDayOfWeek = DayOfWeek(30827y / December / 31);
    const Time last{30827, 12, lastDayOfWeek, 31, 23, 59, 59, 999};
    EXPECT_EQ(BreakDown(1'000'000'000'000'000, 0), last);
    EXPECT_EQ(BreakDown(INT64_MAX, 999'999'999), last);
    const std::int64_t lastSecond = Seconds(30828y / January / 1, 0) - 1;
    EXPECT_EQ(BreakDown(lastSecond, 999'999'999), last);
    EXPECT_EQ(BreakDown(lastSecond, 500'000'000),
              (Time{30827, 12, lastDayOfWeek, 31, 23, 59, 59, 500}));
}

TEST(SystemTime, FileTimesPastTheSignedRangeAreRefused) {
    const FILETIME huge{0, 0x8000'0000u};
    SYSTEMTIME st{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &st));
    EXPECT_EQ(st.wYear, 1);
    EXPECT_EQ(st.wMilliseconds, 8);
}

}  // namespace
