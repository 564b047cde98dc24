#pragma once

// How the walk writes a name into a listing line: a name that the line
// format cannot carry as it is gets "?" in place of each such byte.

#include <string_view>

#include "morvash/platform/CString.h"

namespace morvash::detail {

inline constexpr char kShownInstead = '?';

/// Tells whether a name cannot stand in a line as it is: it holds a control
/// byte (0x01-0x1F, 0x7F), or it is a file's name that begins with the marker.
bool NeedsShowing(std::string_view name, bool directory) noexcept;

/// Appends the name as a line shows it: each control byte, and the marker that
/// begins a file's name, as "?".
void AppendShown(CString& out, std::string_view name, bool directory);

}  // namespace morvash::detail
