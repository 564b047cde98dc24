#pragma once

// Calendar helpers for tests of file times: SYSTEMTIME fields as one value
// that gtest compares and prints, and UTC dates as POSIX seconds.

#include <array>
#include <chrono>
#include <cstdint>

#include "morvash/platform/SystemTime.h"

namespace morvash::test {

/// SYSTEMTIME's fields in its order: year, month, day of week (0 for Sunday),
/// day, hour, minute, second, millisecond.
using Time = std::array<int, 8>;

/// Returns the fields of `st`.
inline Time Fields(const SYSTEMTIME& st) {
    return {st.wYear, st.wMonth,  st.wDayOfWeek, st.wDay,
            st.wHour, st.wMinute, st.wSecond,    st.wMilliseconds};
}

/// Returns the POSIX seconds of a UTC date and time of day.
inline std::int64_t Seconds(std::chrono::year_month_day day, int hour, int minute = 0,
                            int second = 0) {
    using namespace std::chrono;
    return duration_cast<seconds>(sys_days{day}.time_since_epoch()).count() + hour * 3600 +
           minute * 60 + second;
}

/// Returns the day of the week of a date, 0 for Sunday.
inline int DayOfWeek(std::chrono::year_month_day day) {
    return static_cast<int>(std::chrono::weekday(std::chrono::sys_days{day}).c_encoding());
}

}  // namespace morvash::test
