#pragma once

// Symbol visibility for the shared platform library: everything is hidden
// unless marked, so the library's ABI is exactly what its headers mark.
#if defined(MORVASH_PLATFORM_BUILDING)
#define PLATFORM_API __attribute__((visibility("default")))
#else
#define PLATFORM_API
#endif
