#include "morvash/platform/CodePage.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <string>

#include "CodeConversion.h"

namespace platform {
namespace {

std::atomic<CodePage> gActive{CodePage::Utf8};

}  // namespace

void SetActiveCodePage(CodePage page) noexcept {
    gActive.store(page, std::memory_order_relaxed);
}

CodePage ActiveCodePage() noexcept {
    return gActive.load(std::memory_order_relaxed);
}

CodePage CodePageForCharset(std::string_view charset) noexcept {
    std::string upper(charset);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (std::string_view name : {"SHIFT_JIS", "SJIS", "CP932", "WINDOWS-31J"}) {
        if (upper == name) {
            return CodePage::Cp932;
        }
    }
    return CodePage::Utf8;
}

CodePage SelectCodePageFromLocale() noexcept {
    CodePage page = CodePageForCharset(detail::TakeLocaleCharset());
    SetActiveCodePage(page);
    return page;
}

bool IsLeadByte(unsigned char byte) noexcept {
    if (ActiveCodePage() != CodePage::Cp932) {
        return false;
    }
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string FromUtf8(std::string_view utf8) {
    return detail::Convert(utf8, ActiveCodePage(), CodePage::Utf8, "?");
}

std::string ToUtf8(std::string_view text) {
    return detail::Convert(text, CodePage::Utf8, ActiveCodePage(), "\xEF\xBF\xBD");
}

std::size_t DecodeUtf8(std::string_view text, char32_t& character) noexcept {
    if (text.empty()) {
        return 0;
    }
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

}  // namespace platform
