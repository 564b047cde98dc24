#pragma once

// Lining up the size and time columns of a finished tree text in a terminal.

#include <string>
#include <string_view>

namespace tandrel::detail {

/// Returns `text` (lines joined by CR LF) with the TAB-separated columns of
/// every line but the first (the root label) replaced by spaces: the first
/// field padded to the widest first field, each further field right-aligned
/// to the widest of its column, two spaces between columns. Lines without a
/// TAB are kept as they are.
std::string AlignColumns(std::string_view text);

}  // namespace tandrel::detail
