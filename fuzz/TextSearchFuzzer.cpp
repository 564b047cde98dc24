// Fuzzes CString's searches on random bytes, in code page 932 and in UTF-8,
// against the plain reference: the first and last match of a character, and
// the first match of a text, each only where a character begins.
//
// Input: byte 0 picks the code page (bit 0) and the start index, byte 1 the
// searched character; the rest, split at NULs, gives the text and the
// searched text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "MbcsReference.h"
#include "morvash/platform/CString.h"
#include "morvash/platform/CodePage.h"

using tandrel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const bool cp932 = (data[0] & 1) != 0;
    platform::SetActiveCodePage(cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);
    const int start = data[0] / 2 - 4;  // -4 .. 123
    const auto ch = static_cast<char>(data[1]);
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view text = input.substr(0, input.find('\0'));
    const std::string_view rest = input.substr(std::min(text.size() + 1, input.size()));
    const std::string sub(rest.substr(0, rest.find('\0')));

    // An empty text is found at `start` itself, when that lies in the text.
    int found = -1;
    int at = sub.empty() && start <= static_cast<int>(text.size()) ? std::max(start, 0) : -1;
    for (const int i : tandrel::fuzz::Steps(text, start, cp932)) {
        found = found < 0 && text[i] == ch ? i : found;
        at = at < 0 && text.substr(i).starts_with(sub) ? i : at;
    }
    const CString string(text);
    Check(string.Find(ch, start) == found);
    Check(string.ReverseFind(ch) == tandrel::fuzz::RefReverseFind(text, ch, cp932));
    Check(string.Find(sub.c_str(), start) == at);
    return 0;
}
