#pragma once

// The signal dispositions a command-line program sets once at start.

#include "morvash/platform/Export.h"

namespace platform {

/// Makes a write into a pipe whose reader has gone fail (EPIPE), which the
/// program can end on quietly, instead of ending the process.
PLATFORM_API void IgnoreBrokenPipe() noexcept;

}  // namespace platform
