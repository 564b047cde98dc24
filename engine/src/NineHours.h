#pragma once

// The fixed nine-hour shift applied to every last-write time the engine
// reports, whatever the machine's time zone.

#include "morvash/platform/SystemTime.h"

namespace morvash::detail {

/// Moves a UTC time forward by nine hours, rolling over day, month and year.
/// February has 29 days in the Gregorian calendar's leap years (every fourth
/// year, but not 1900 or 2100); the day of the week is left as it was.
void AddNineHours(SYSTEMTIME& time) noexcept;

}  // namespace morvash::detail
