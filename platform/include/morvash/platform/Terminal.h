#pragma once

// What a command-line program asks about the terminal it may be writing to:
// whether a standard stream is one, and how many columns a text takes on it.

#include <cstddef>
#include <string_view>

#include "morvash/platform/Export.h"

namespace platform {

/// A standard stream of the process.
enum class StandardStream {
    Output,  ///< standard output
    Error,   ///< standard error
};

/// Tells whether `stream` is a terminal.
PLATFORM_API bool IsTerminal(StandardStream stream) noexcept;

/// Returns the columns the UTF-8 text `utf8` takes in a terminal: each
/// character's width from the C library's Unicode table, the one every UTF-8
/// locale shares (East Asian wide and fullwidth characters two, combining
/// marks none, any other character one); a byte that begins no character
/// counts one, as the replacement character a terminal shows for it.
PLATFORM_API std::size_t Utf8Columns(std::string_view utf8) noexcept;

}  // namespace platform
