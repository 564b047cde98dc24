#include "morvash/platform/Terminal.h"

#include <locale.h>
#include <unistd.h>
#include <wchar.h>

#include <array>
#include <cstdint>
#include <cwchar>

#include "morvash/platform/CodePage.h"

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
