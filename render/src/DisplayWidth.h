#pragma once

// The number of terminal columns a text takes, for lining up columns.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace tandrel::detail {

/// Returns the columns `text` (in the active code page) takes in a terminal.
/// UTF-8: as platform::Utf8Columns counts them (East Asian wide characters
/// two, combining marks none, a byte that begins no character one). Code page
/// 932: a double-byte character two, a single byte (half-width katakana too)
/// one. A colour's escape sequence (ESC "[" ... a final byte) takes none.
std::size_t DisplayWidth(std::string_view text);

}  // namespace tandrel::detail
