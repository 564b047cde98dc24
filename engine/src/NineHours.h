#pragma once

// The fixed nine-hour shift applied to every last-write time the engine
// reports, whatever the machine's time zone.

#include "morvash/platform/SystemTime.h"

namespace morvash::detail {

/// Moves a UTC time forward by nine hours, rolling over day, month and year.
/// February has 29 days in every year divisible by four (no century rule);
/// the day of the week is left as it was.
void AddNineHours(SYSTEMTIME& time) noexcept;

}  // namespace morvash::detail
