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

}  // namespace platform
