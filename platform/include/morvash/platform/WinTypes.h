#pragma once

// The Windows types and constants that the framework stand-ins and their
// callers share, laid out as Windows has them: the one header a Windows
// build replaces with <windows.h> (NOMINMAX defined first, since the code
// calls std::min and std::max). Every file that uses a name <windows.h> makes
// a macro of (FindNextFile, IDC_SIZE) includes this header, so such a name
// reads the same everywhere. BOOL is a 32-bit int, as the dialog's flags are.

#include <cstdint>

#include "morvash/platform/Export.h"

using BOOL = int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

/// A file time: 100-nanosecond intervals since 1601-01-01 00:00:00 UTC.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

/// Broken-down time: eight unsigned 16-bit fields in this order.
struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;      ///< 1 = January
    WORD wDayOfWeek;  ///< 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

/// The attribute bit that marks a directory.
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;

/// Breaks a file time down into UTC calendar fields, without any time-zone
/// change. Returns FALSE, leaving `out` untouched, for a time past the largest
/// value SYSTEMTIME can hold (30827-12-31 23:59:59.999).
PLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* time, SYSTEMTIME* out) noexcept;
