#include "morvash/platform/MbcsSearch.h"

#include "morvash/platform/CodePage.h"

namespace platform {
namespace {

// Under UTF-8 no byte of a multibyte character equals an ASCII byte, so plain
// byte searches give the character searches' answers.
bool StepsOverDoubleBytes() noexcept {
    return ActiveCodePage() == CodePage::Cp932;
}

int ToIndex(std::size_t pos) noexcept {
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

}  // namespace

int CharLength(std::string_view text, int pos) noexcept {
    const auto size = static_cast<int>(text.size());
    if (pos + 1 < size &&
        IsLeadByte(static_cast<unsigned char>(text[static_cast<std::size_t>(pos)]))) {
        return 2;
    }
    return 1;
}

int FindChar(std::string_view text, char ch, int start) noexcept {
    const auto size = static_cast<int>(text.size());
    if (start < 0) {
        start = 0;
    }
    if (!StepsOverDoubleBytes()) {
        return start >= size ? -1 : ToIndex(text.find(ch, static_cast<std::size_t>(start)));
    }
    for (int i = start; i < size; i += CharLength(text, i)) {
        if (text[static_cast<std::size_t>(i)] == ch) {
            return i;
        }
    }
    return -1;
}

int ReverseFindChar(std::string_view text, char ch) noexcept {
    if (!StepsOverDoubleBytes()) {
        return ToIndex(text.rfind(ch));
    }
    const auto size = static_cast<int>(text.size());
    int found = -1;
    for (int i = 0; i < size; i += CharLength(text, i)) {
        if (text[static_cast<std::size_t>(i)] == ch) {
            found = i;
        }
    }
    return found;
}

int FindText(std::string_view text, std::string_view sub, int start) noexcept {
    const auto size = static_cast<int>(text.size());
    if (start < 0) {
        start = 0;
    }
    if (start > size) {
        return -1;
    }
    if (sub.empty()) {
        return start;
    }
    if (!StepsOverDoubleBytes()) {
        return ToIndex(text.find(sub, static_cast<std::size_t>(start)));
    }
    for (int i = start; i < size; i += CharLength(text, i)) {
        if (text.substr(static_cast<std::size_t>(i)).starts_with(sub)) {
            return i;
        }
    }
    return -1;
}

}  // namespace platform
