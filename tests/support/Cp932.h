#pragma once

// The code page 932 byte table, written from the code page's definition: a
// lead byte and the trail byte after it form one character; any other byte
// is a character of its own.

namespace morvash::test {

/// Tells whether `byte` begins a double-byte character in code page 932.
constexpr bool IsCp932Lead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// Tells whether `byte` may end a double-byte character in code page 932.
constexpr bool IsCp932Trail(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

}  // namespace morvash::test
