#pragma once

// Making and reading listing lines: d TABs, "*" on directory lines, the name.

#include <string_view>

#include "platform/CString.h"

namespace morvash::detail {

inline constexpr char kMarker = '*';
inline constexpr char kShownInstead = '?';

/// Tells whether a name cannot stand in a line as it is: it holds a control
/// byte (0x01-0x1F, 0x7F), or it is a file's name that begins with the marker.
bool NeedsShowing(std::string_view name, bool directory) noexcept;

/// Appends the name as a line shows it: each control byte, and the marker that
/// begins a file's name, as "?".
void AppendShown(CString& out, std::string_view name, bool directory);

/// Returns the number of TABs a line begins with (its depth).
int LeadingTabs(std::string_view line) noexcept;

/// Returns a line's name: what follows its indent and, on a directory line,
/// its marker. A name's own leading blanks belong to it.
std::string_view ShownName(std::string_view line) noexcept;

}  // namespace morvash::detail
