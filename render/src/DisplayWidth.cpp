#include "DisplayWidth.h"

#include <locale.h>
#include <wchar.h>

#include <cwchar>

#include "morvash/platform/CodePage.h"

namespace tandrel::detail {
namespace {

// Runs in the C.UTF-8 locale on this thread while it lives, so that the
// widths do not hang on the locale the process happens to run in.
class Utf8Locale {
  public:
    Utf8Locale() : previous_(locale_ != nullptr ? uselocale(locale_) : nullptr) {}
    ~Utf8Locale() {
        if (previous_ != nullptr) {
            uselocale(previous_);
        }
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

  private:
    // Made once and kept for the life of the process, as uselocale requires.
    static inline const locale_t locale_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    locale_t previous_;
};

std::size_t Utf8Width(std::string_view text) {
    const Utf8Locale utf8;
    std::size_t width = 0;
    std::mbstate_t state{};
    for (std::size_t at = 0; at < text.size();) {
        wchar_t character = 0;
        const std::size_t length =
            std::mbrtowc(&character, text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at) {
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

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) {
        ++at;
    }
    if (at == text.size()) {
        return at;
    }
    if (platform::ActiveCodePage() == platform::CodePage::Utf8) {
        return at + Utf8Width(text.substr(at));
    }
    std::size_t width = at;
    while (at < text.size()) {
        const bool pair =
            platform::IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
        width += pair ? 2 : 1;
        at += pair ? 2 : 1;
    }
    return width;
}

}  // namespace tandrel::detail
