#include "morvash/platform/Terminal.h"

#include <locale.h>
#include <unistd.h>
#include <wchar.h>

#include <array>
#include <cstdint>
#include <cwchar>

namespace platform {
namespace {

// Runs in the C.UTF-8 locale on this thread while it lives, so that the
// widths do not hang on the locale the process happens to run in.
class Utf8Locale {
  public:
    Utf8Locale() : previous_(locale_ != nullptr ? ::uselocale(locale_) : nullptr) {}
    ~Utf8Locale() {
        if (previous_ != nullptr) {
            ::uselocale(previous_);
        }
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

  private:
    // Made once and kept for the life of the process, as uselocale requires.
    static inline const locale_t locale_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    locale_t previous_;
};

// Decodes the well-formed UTF-8 character at the start of `text` (RFC 3629:
// no overlong forms, no surrogates, nothing above U+10FFFF); returns its
// length, or 0 for a sequence that is invalid or cut off.
std::size_t DecodeUtf8(std::string_view text, char32_t& character) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    character = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (i > 1 && (byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        character = (character << 6) | (byte(i) & 0x3F);
    }
    return length;
}

}  // namespace

bool IsTerminal(StandardStream stream) noexcept {
    return ::isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

std::size_t Utf8Columns(std::string_view utf8) noexcept {
    // The columns of every character of the Basic Multilingual Plane, asked
    // of the C library once: text to line up holds the same few characters
    // (the tree's pieces, a name's script) on every line.
    static const std::array<std::int8_t, 0x10000> kColumns = [] {
        const Utf8Locale locale;
        std::array<std::int8_t, 0x10000> columns{};
        for (std::size_t c = 0; c < columns.size(); ++c) {
            columns[c] = static_cast<std::int8_t>(::wcwidth(static_cast<wchar_t>(c)));
        }
        return columns;
    }();
    std::size_t width = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t character = 0;
        const std::size_t length = DecodeUtf8(utf8.substr(at), character);
        if (length == 0) {
            // An invalid or cut-off sequence: one replacement character per byte.
            ++width;
            ++at;
            continue;
        }
        int columns = 0;
        if (character < kColumns.size()) {
            columns = kColumns[character];
        } else {
            const Utf8Locale locale;
            columns = ::wcwidth(static_cast<wchar_t>(character));
        }
        width += columns < 0 ? 1 : static_cast<std::size_t>(columns);
        at += length;
    }
    return width;
}

}  // namespace platform
