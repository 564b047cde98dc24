#pragma once

// Symbol visibility for libMorvash: only what is marked is exported.
#if defined(MORVASH_BUILDING)
#define MORVASH_API __attribute__((visibility("default")))
#else
#define MORVASH_API
#endif
