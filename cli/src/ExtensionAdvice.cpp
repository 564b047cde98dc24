#include "ExtensionAdvice.h"

#include <algorithm>

#include "morvash/platform/CodePage.h"

namespace tandrel::cli {
namespace {

// Calls `visit(token)` for each blank-separated token that is not empty.
template <typename Visit>
void ForEachToken(std::string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t blank = std::min(text.find(' ', start), text.size());
        if (blank > start) {
            visit(text.substr(start, blank - start));
        }
        start = blank + 1;
    }
}

// The ideographic space in the active code page.
std::string_view IdeographicSpace() {
    return platform::ActiveCodePage() == platform::CodePage::Cp932 ? "\x81\x40" : "\xE3\x80\x80";
}

// Splits `token` at "," and U+3000, stepping over double-byte characters, and
// calls `visit(piece)` for each piece (empty ones included).
template <typename Visit>
void ForEachPiece(std::string_view token, Visit visit) {
    const std::string_view space = IdeographicSpace();
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < token.size()) {
        if (token[at] == ',' || token.substr(at).starts_with(space)) {
            visit(token.substr(start, at - start));
            at += token[at] == ',' ? 1 : space.size();
            start = at;
        } else {
            at += platform::IsLeadByte(static_cast<unsigned char>(token[at])) ? 2 : 1;
        }
    }
    visit(token.substr(start));
}

}  // namespace

std::vector<std::string_view> HopelessTokens(std::string_view extensions) {
    std::vector<std::string_view> hopeless;
    ForEachToken(extensions, [&](std::string_view token) {
        int pieces = 0;
        ForEachPiece(token, [&](std::string_view) { ++pieces; });
        if (token.front() == '.' || token.front() == '*' || pieces > 1) {
            hopeless.push_back(token);
        }
    });
    return hopeless;
}

std::string MeantExtensions(std::string_view extensions) {
    std::string meant;
    ForEachToken(extensions, [&](std::string_view token) {
        ForEachPiece(token, [&](std::string_view piece) {
            piece.remove_prefix(std::min(piece.find_first_not_of(".*"), piece.size()));
            if (!piece.empty()) {
                meant += meant.empty() ? "" : " ";
                meant += piece;
            }
        });
    });
    return meant;
}

}  // namespace tandrel::cli
