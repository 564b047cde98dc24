#pragma once

// Character searches over multibyte text in the active code page. A lead byte
// and the byte after it form one character, so the second byte of a
// double-byte character never matches a searched single-byte character. A lead
// byte at the very end of the text stands alone. Positions are byte indexes;
// -1 means not found.

#include <string_view>

#include "morvash/platform/Export.h"

namespace platform {

/// Returns the byte length (1 or 2) of the character that starts at `pos`.
PLATFORM_API int CharLength(std::string_view text, int pos) noexcept;

/// Finds the first character `ch` at or after byte `start` (a character boundary).
PLATFORM_API int FindChar(std::string_view text, char ch, int start = 0) noexcept;

/// Finds the last character `ch`.
PLATFORM_API int ReverseFindChar(std::string_view text, char ch) noexcept;

/// Finds the first occurrence of `sub` that begins on a character boundary at or after `start`.
PLATFORM_API int FindText(std::string_view text, std::string_view sub, int start = 0) noexcept;

}  // namespace platform
