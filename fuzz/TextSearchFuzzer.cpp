// Fuzzes CString's character searches and slicing, and the walk's extension
// filter, on random bytes in code page 932 and in UTF-8, against a plain
// reference written here from the rules alone.
//
// Input: byte 0 picks the code page (bit 0) and the start index, byte 1 the
// searched character; the rest is split at its first NUL into the text and a second
// text that serves as the searched substring, the filter, and an extra name.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ExtensionFilter.h"
#include "MbcsReference.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CodePage.h"

namespace {

using tandrel::fuzz::Check;
using tandrel::fuzz::RefFind;
using tandrel::fuzz::RefReverseFind;
using tandrel::fuzz::Steps;

bool IsBoundary(std::string_view text, int pos, bool cp932) {
    for (int step : Steps(text, 0, cp932)) {
        if (step == pos) {
            return true;
        }
    }
    return false;
}

int RefFindText(std::string_view text, std::string_view sub, int start, bool cp932) {
    if (start < 0) {
        start = 0;
    }
    if (start > static_cast<int>(text.size())) {
        return -1;
    }
    if (sub.empty()) {
        return start;
    }
    for (int i : Steps(text, start, cp932)) {
        if (text.substr(static_cast<std::size_t>(i)).starts_with(sub)) {
            return i;
        }
    }
    return -1;
}

// The filter as its rules state it: the suffix after the last "." (by
// characters), then blank-separated tokens, where a blank at the start of the
// rest makes the whole rest one token.
bool RefAccepted(std::string_view name, std::string_view filter, bool cp932) {
    const int dot = RefReverseFind(name, '.', cp932);
    const std::string_view suffix = dot < 0 ? name : name.substr(static_cast<std::size_t>(dot) + 1);
    std::string_view rest = filter;
    for (;;) {
        const int p = RefFind(rest, ' ', 0, cp932);
        const std::string_view token = (p == 0 || p == -1) ? rest : rest.substr(0, p);
        if (token.empty() || token == suffix) {
            return true;
        }
        if (p == -1) {
            return false;
        }
        rest = rest.substr(static_cast<std::size_t>(p) + 1);
    }
}

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Clamped(std::string_view text, int first, int count) {
    const int size = static_cast<int>(text.size());
    if (first < 0) {
        first = 0;
    }
    if (first > size) {
        first = size;
    }
    if (count < 0) {
        count = 0;
    }
    if (count > size - first) {
        count = size - first;
    }
    return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}

// The characters searched for: those the system searches for, plus any byte.
constexpr char kSearched[] = {'.', ' ', '/', '\\', '\t', '*', '\x81', '\x40'};

void CheckSearches(std::string_view text, std::string_view second, char ch, int start, bool cp932) {
    const CString str(text);
    Check(str.GetLength() == static_cast<int>(text.size()));
    Check(str.view() == text);

    const int found = str.Find(ch, start);
    Check(found == RefFind(text, ch, start, cp932));
    if (found >= 0) {
        Check(text[static_cast<std::size_t>(found)] == ch);
        if (start <= 0 || IsBoundary(text, start, cp932)) {
            // A trail byte of a double-byte character is never reported.
            Check(IsBoundary(text, found, cp932));
        }
    }

    const int last = str.ReverseFind(ch);
    Check(last == RefReverseFind(text, ch, cp932));
    if (last >= 0) {
        Check(IsBoundary(text, last, cp932) && text[static_cast<std::size_t>(last)] == ch);
    }

    const std::string subText(second);
    const int at = str.Find(subText.c_str(), start);
    Check(at == RefFindText(text, second, start, cp932));
    if (at >= 0) {
        Check(text.substr(static_cast<std::size_t>(at)).starts_with(second));
    }

    const int size = static_cast<int>(text.size());
    for (int n : {-1, 0, start, size / 2, size, size + 1}) {
        Check(str.Left(n).view() == Clamped(text, 0, n));
        Check(str.Mid(n).view() == Clamped(text, n, size));
        Check(str.Mid(n, start).view() == Clamped(text, n, start));
    }

    CString trimmed = str;
    trimmed.TrimLeft();
    std::string_view expected = text;
    while (!expected.empty() && IsWhiteSpace(expected.front())) {
        expected.remove_prefix(1);
    }
    Check(trimmed.view() == expected);

    CString inserted = str;
    const int index = start > size ? size : (start < 0 ? 0 : start);
    Check(inserted.Insert(start, ch) == size + 1);
    const std::string expectedInsert =
        std::string(text.substr(0, index)) + ch + std::string(text.substr(index));
    Check(inserted.view() == std::string_view(expectedInsert));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const bool cp932 = (data[0] & 1) != 0;
    platform::SetActiveCodePage(cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);

    // Byte 1 chooses the searched character: one of the usual ones, or itself.
    const char ch = data[1] < 2 * sizeof(kSearched) ? kSearched[data[1] % sizeof(kSearched)]
                                                    : static_cast<char>(data[1]);
    const int start = static_cast<int>(data[0] >> 1) - 4;  // -4 .. 123

    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nul = input.find('\0');
    const std::string_view text = input.substr(0, nul);
    std::string_view second =
        nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
    second = second.substr(0, second.find('\0'));

    CheckSearches(text, second, ch, start, cp932);

    // The extension filter: the text as a file name and the second text as
    // the filter, then the other way round.
    Check(morvash::detail::AcceptedByFilter(text, second) == RefAccepted(text, second, cp932));
    Check(morvash::detail::AcceptedByFilter(second, text) == RefAccepted(second, text, cp932));
    return 0;
}
