#pragma once

// A plain reference for character searches in code page 932 and UTF-8,
// written from the rules alone, that the fuzzers compare the project's
// searches with: a lead byte (the code page 932 byte table) and the byte
// after it form one character; a lead byte at the very end stands alone.
// Under UTF-8 every byte is its own step, since no byte of a multibyte
// character equals an ASCII byte.

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "Cp932.h"

namespace tandrel::fuzz {

/// Ends the run as a crash when a checked property does not hold.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

/// Returns the start index of each character met when stepping from `start`.
inline std::vector<int> Steps(std::string_view text, int start, bool cp932) {
    const int size = static_cast<int>(text.size());
    std::vector<int> steps;
    for (int i = std::max(start, 0); i < size; ++i) {
        steps.push_back(i);
        i += cp932 && i + 1 < size && morvash::test::IsCp932Lead(text[i]) ? 1 : 0;
    }
    return steps;
}

/// Finds the last character `ch`; -1 when none.
inline int RefReverseFind(std::string_view text, char ch, bool cp932) {
    const std::vector<int> steps = Steps(text, 0, cp932);
    const auto found =
        std::find_if(steps.rbegin(), steps.rend(), [&](int i) { return text[i] == ch; });
    return found == steps.rend() ? -1 : *found;
}

}  // namespace tandrel::fuzz
