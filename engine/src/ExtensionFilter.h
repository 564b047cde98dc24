#pragma once

// The walk's extension filter, kept apart so that it can be tested and fuzzed
// on its own.

#include <string_view>

namespace morvash::detail {

/// Tells whether a file of this name passes the filter: its suffix (after the
/// last ".", or the whole name) equals one of the blank-separated tokens, or a
/// token is empty. A blank at the start of the rest makes the whole rest one
/// token. Comparison is exact, byte for byte, or with `ignoreCase` without
/// regard to the case of ASCII letters (the bytes of a double-byte character
/// still compare exactly); "." and " " are found by characters of the active
/// code page.
bool AcceptedByFilter(std::string_view name, std::string_view filter,
                      bool ignoreCase = false) noexcept;

}  // namespace morvash::detail
