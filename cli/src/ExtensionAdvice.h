#pragma once

// The extension box's traps: -e compares each blank-separated token with the
// text after a file's last "." exactly, so ".txt", "*.txt", "txt,md" and
// tokens joined by an ideographic space match nothing. The command warns
// about such tokens and shows the form that works; the run goes on.

#include <string>
#include <string_view>
#include <vector>

namespace tandrel::cli {

/// Returns the tokens of `extensions` (in the active code page) that can
/// match no file: those that begin with "." or "*", or hold "," or U+3000.
std::vector<std::string_view> HopelessTokens(std::string_view extensions);

/// Returns `extensions` as it was probably meant: each token without its
/// leading "." and "*" characters, split at "," and U+3000, joined by blanks.
std::string MeantExtensions(std::string_view extensions);

}  // namespace tandrel::cli
