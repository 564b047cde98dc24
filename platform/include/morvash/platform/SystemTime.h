#pragma once

// File times and their calendar break-down, with the Windows layouts that the
// engine's interface hands out.
//
// A FILETIME counts 100-nanosecond intervals since 1601-01-01 00:00:00 UTC.
// The file-system stand-in converts a POSIX modification time into one and
// clamps it into the range that SYSTEMTIME can hold: a time before 1601-01-01
// 00:00:00.000 UTC becomes exactly that instant, and a time after 30827-12-31
// 23:59:59.999 UTC becomes exactly that instant. So a file time always breaks
// down into valid calendar fields, never into garbage.

#include <cstdint>

#include "morvash/platform/Export.h"
#include "morvash/platform/WinTypes.h"

namespace platform {

/// Returns the FILETIME of a POSIX time (seconds and nanoseconds since 1970
/// UTC), clamped into the range described above.
PLATFORM_API FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) noexcept;

}  // namespace platform
