#pragma once

// How the front ends read the patterns a user types for leaving entries out
// or listing only some: several in one text, as `tree -I 'a|b'` takes them.

#include <string>
#include <string_view>
#include <vector>

namespace tandrel {

/// Splits a text in the active code page into the patterns it holds, which
/// "|" separates, and with `atBlanks` also blanks (spaces, TABs); the
/// separators are found by characters, since in code page 932 the second
/// byte of a double-byte character may be a "|". Empty pieces are dropped.
std::vector<std::string> SplitPatterns(std::string_view text, bool atBlanks);

}  // namespace tandrel
