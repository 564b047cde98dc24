#pragma once

// Calendar helpers for tests of file times: SYSTEMTIME fields as one value
// that gtest compares and prints.

#include <array>

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

}  // namespace morvash::test
