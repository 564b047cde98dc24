#pragma once

// The number of terminal columns a text takes, for lining up columns.

#include <cstddef>
#include <string_view>

namespace tandrel::detail {

/// Returns the columns `text` (in the active code page) takes in a terminal.
/// UTF-8: each character's wcwidth (East Asian wide and fullwidth characters
/// two, combining marks none), from glibc's C.UTF-8 table, which every UTF-8
/// locale shares; a byte that begins no character counts one, as the
/// replacement character a terminal shows for it. Code page 932: a
/// double-byte character two, a single byte (half-width katakana too) one.
std::size_t DisplayWidth(std::string_view text);

}  // namespace tandrel::detail
