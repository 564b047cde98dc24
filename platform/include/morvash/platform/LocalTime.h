#pragma once

// Calendar times in a time zone, and their text in a strftime format: the
// process's own zone (TZ) as the system knows it.

#include <cstdint>
#include <string>
#include <string_view>

#include "morvash/platform/Export.h"

namespace platform {

/// A moment broken down in one time zone.
struct ZonedTime {
    std::int64_t year = 1970;
    int month = 1;             ///< 1 = January
    int day = 1;               ///< 1-31
    int hour = 0;              ///< 0-23
    int minute = 0;            ///< 0-59
    int second = 0;            ///< 0-60 (a leap second)
    int weekday = 4;           ///< 0 = Sunday
    int yearDay = 0;           ///< 0 = January 1st
    long offset = 0;           ///< seconds east of UTC
    std::string zone = "UTC";  ///< the zone's abbreviation
    int daylight = 0;          ///< 1 summer time, 0 not, -1 unknown
};

/// Breaks `seconds` (since 1970-01-01 00:00 UTC) down in the process's time
/// zone; false when the system cannot (a year beyond its range).
PLATFORM_API bool LocalTime(std::int64_t seconds, ZonedTime& out);

/// Returns `time` written as strftime writes `format` (the C library's
/// conversions: %Y, %m, %d, %H, %M, %S, %a, %b, %j, %z, %Z, ...).
PLATFORM_API std::string FormatTime(std::string_view format, const ZonedTime& time);

}  // namespace platform
