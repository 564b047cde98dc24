#include "ExtensionFilter.h"

#include "morvash/platform/MbcsSearch.h"

namespace morvash::detail {

namespace {

char FoldAscii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares character by character so that a trail byte that happens to be an
// ASCII letter is never folded.
bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    const int size = static_cast<int>(a.size());
    for (int i = 0; i < size;) {
        const int length = platform::CharLength(a, i);
        const auto at = static_cast<std::size_t>(i);
        if (length == 1 ? FoldAscii(a[at]) != FoldAscii(b[at])
                        : a.substr(at, 2) != b.substr(at, 2)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

bool AcceptedByFilter(std::string_view name, std::string_view filter, bool ignoreCase) noexcept {
    const int dot = platform::ReverseFindChar(name, '.');
    const std::string_view suffix = dot < 0 ? name : name.substr(static_cast<std::size_t>(dot) + 1);
    std::string_view rest = filter;
    for (;;) {
        const int blank = platform::FindChar(rest, ' ');
        const std::string_view token =
            blank <= 0 ? rest : rest.substr(0, static_cast<std::size_t>(blank));
        if (token.empty() || token == suffix ||
            (ignoreCase && SameIgnoringAsciiCase(token, suffix))) {
            return true;
        }
        if (blank < 0) {
            return false;
        }
        rest = rest.substr(static_cast<std::size_t>(blank) + 1);
    }
}

}  // namespace morvash::detail
