#pragma once

// The few fixed-width Windows type names that the framework stand-ins and
// their callers share. BOOL is a 32-bit int, as the dialog's flags are.

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
