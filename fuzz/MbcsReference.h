#pragma once

// A plain reference for character searches in code page 932 and UTF-8,
// written from the rules alone, that the fuzzers compare the project's
// searches with: a lead byte (0x81-0x9F, 0xE0-0xFC in 932) and the byte after
// it form one character; a lead byte at the very end stands alone. Under
// UTF-8 every byte is its own step, since no byte of a multibyte character
// equals an ASCII byte.

#include <cstdlib>
#include <string_view>
#include <vector>

namespace tandrel::fuzz {

/// Ends the run as a crash when a checked property does not hold.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

inline bool IsLead932(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// Returns the start indexes of the characters met when stepping from `start`.
inline std::vector<int> Steps(std::string_view text, int start, bool cp932) {
    std::vector<int> steps;
    const int size = static_cast<int>(text.size());
    for (int i = start < 0 ? 0 : start; i < size;) {
        steps.push_back(i);
        const bool lead = cp932 && IsLead932(static_cast<unsigned char>(text[i]));
        i += (lead && i + 1 < size) ? 2 : 1;
    }
    return steps;
}

/// Finds the first character `ch` stepping from `start`; -1 when none.
inline int RefFind(std::string_view text, char ch, int start, bool cp932) {
    for (int i : Steps(text, start, cp932)) {
        if (text[i] == ch) {
            return i;
        }
    }
    return -1;
}

/// Finds the last character `ch`; -1 when none.
inline int RefReverseFind(std::string_view text, char ch, bool cp932) {
    int found = -1;
    for (int i : Steps(text, 0, cp932)) {
        if (text[i] == ch) {
            found = i;
        }
    }
    return found;
}

}  // namespace tandrel::fuzz
