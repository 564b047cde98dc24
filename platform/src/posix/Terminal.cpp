#include "morvash/platform/Terminal.h"

#include <locale.h>
#include <unistd.h>
#include <wchar.h>

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

}  // namespace

bool IsTerminal(StandardStream stream) noexcept {
    return ::isatty(stream == StandardStream::Output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

std::size_t Utf8Columns(std::string_view utf8) noexcept {
    const Utf8Locale locale;
    std::size_t width = 0;
    std::mbstate_t state{};
    for (std::size_t at = 0; at < utf8.size();) {
        wchar_t character = 0;
        const std::size_t length =
            std::mbrtowc(&character, utf8.data() + at, utf8.size() - at, &state);
        if (length == 0 || length > utf8.size() - at) {
            // An invalid or cut-off sequence: one replacement character per byte.
            state = std::mbstate_t{};
            ++width;
            ++at;
            continue;
        }
        const int columns = ::wcwidth(character);
        width += columns < 0 ? 1 : static_cast<std::size_t>(columns);
        at += length;
    }
    return width;
}

}  // namespace platform
