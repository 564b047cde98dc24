#pragma once

// What the code pages need of the operating system: converting text between
// them, and the character set of the user's locale.

#include <string>
#include <string_view>

#include "morvash/platform/CodePage.h"

namespace platform::detail {

/// Converts `input` from the code page `from` to `to`. Every character that
/// the target lacks, and every input byte that starts no valid character, is
/// replaced with `replacement` and skipped, so conversion never fails.
std::string Convert(std::string_view input, CodePage to, CodePage from,
                    std::string_view replacement);

/// Takes the locale from the environment (LC_ALL, LC_CTYPE, LANG) for the
/// whole process and returns its character set's name ("UTF-8", "SHIFT_JIS").
std::string TakeLocaleCharset();

}  // namespace platform::detail
