#include "DisplayWidth.h"

#include "morvash/platform/CodePage.h"
#include "morvash/platform/Terminal.h"

namespace tandrel::detail {
namespace {

constexpr char kEscape = '\x1b';

// The columns of text that holds no escape sequence.
std::size_t TextWidth(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) {
        ++at;
    }
    if (at == text.size()) {
        return at;
    }
    if (platform::ActiveCodePage() == platform::CodePage::Utf8) {
        return at + platform::Utf8Columns(text.substr(at));
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

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    // A colour's escape sequence ("\x1b[01;34m") takes no column. Names never
    // hold the escape byte (the listing shows control bytes as "?").
    std::size_t width = 0;
    for (std::size_t escape = text.find(kEscape); escape != std::string_view::npos;
         escape = text.find(kEscape)) {
        width += TextWidth(text.substr(0, escape));
        std::size_t end = escape + 1;
        if (end < text.size() && text[end] == '[') {
            ++end;
            while (end < text.size() && (text[end] < 0x40 || text[end] > 0x7E)) {
                ++end;
            }
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return width + TextWidth(text);
}

}  // namespace tandrel::detail
