#include "morvash/platform/SystemTime.h"

#include <cstdint>

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kTicksPerDay = 86'400 * kTicksPerSecond;
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;
constexpr std::int64_t kSecondsFrom1601To1970 = kDaysFrom1601To1970 * 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + static_cast<std::int64_t>(doe) - 719'468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

// Proleptic Gregorian date of a day count since 1970-01-01, for days from
// 1601 on (a FILETIME's range), which count from 0000-03-01 as positive, so
// that the 400-year era is a plain division.
constexpr Civil CivilFromDays(std::int64_t z) noexcept {
    z += 719'468;
    const std::int64_t era = z / 146'097;
    const auto doe = static_cast<unsigned>(z - era * 146'097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

// The last instant SYSTEMTIME holds: 30827-12-31 23:59:59.999 UTC.
constexpr std::int64_t kMaxTicks =
    (DaysFromCivil(30828, 1, 1) + kDaysFrom1601To1970) * kTicksPerDay - kTicksPerMillisecond;

}  // namespace

namespace platform {

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) noexcept {
    std::int64_t ticks = 0;
    const std::int64_t maxSeconds = kMaxTicks / kTicksPerSecond - kSecondsFrom1601To1970;
    if (seconds < -kSecondsFrom1601To1970) {
        ticks = 0;
    } else if (seconds > maxSeconds) {
        ticks = kMaxTicks;
    } else {
        ticks = (seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100;
        if (ticks < 0) {
            ticks = 0;
        } else if (ticks > kMaxTicks) {
            ticks = kMaxTicks;
        }
    }
    const auto value = static_cast<std::uint64_t>(ticks);
    return {static_cast<DWORD>(value & 0xFFFF'FFFFu), static_cast<DWORD>(value >> 32)};
}

}  // namespace platform

BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) noexcept {
    if (time == nullptr || out == nullptr) {
        return FALSE;
    }
    const std::uint64_t value =
        (static_cast<std::uint64_t>(time->dwHighDateTime) << 32) | time->dwLowDateTime;
    if (value > static_cast<std::uint64_t>(INT64_MAX)) {
        return FALSE;
    }
    const auto ticks = static_cast<std::int64_t>(value);
    const std::int64_t days = ticks / kTicksPerDay;
    const std::int64_t ofDay = ticks % kTicksPerDay;
    const Civil date = CivilFromDays(days - kDaysFrom1601To1970);
    if (date.year > 0xFFFF) {
        return FALSE;
    }
    const std::int64_t ms = ofDay / kTicksPerMillisecond;
    out->wYear = static_cast<WORD>(date.year);
    out->wMonth = static_cast<WORD>(date.month);
    out->wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    out->wDay = static_cast<WORD>(date.day);
    out->wHour = static_cast<WORD>(ms / 3'600'000);
    out->wMinute = static_cast<WORD>(ms / 60'000 % 60);
    out->wSecond = static_cast<WORD>(ms / 1000 % 60);
    out->wMilliseconds = static_cast<WORD>(ms % 1000);
    return TRUE;
}
