// Fuzzes PrepareRootFolder on random folder texts in code page 932 and UTF-8.
//
// Input: byte 0 picks the code page (bit 0) and m_bRootFullPath (bit 1); the
// rest, up to a NUL, is the folder text.
//
// What must hold: with the full-path flag, and for the root "/" alone, both
// results are the text; else the engine path is the text less one final "/"
// (a "/" that ends the text as a character of its own), and the root label is
// what follows the engine path's last "/" (the whole path when it has none).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MbcsReference.h"
#include "morvash/platform/CodePage.h"
#include "tandrel/render/TreeText.h"

using tandrel::fuzz::Check;
using tandrel::fuzz::RefReverseFind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const bool cp932 = (data[0] & 1) != 0;
    const bool fullPath = (data[0] & 2) != 0;
    platform::SetActiveCodePage(cp932 ? platform::CodePage::Cp932 : platform::CodePage::Utf8);
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text = text.substr(0, text.find('\0'));

    const tandrel::RootFolder root = tandrel::PrepareRootFolder(CString(text), fullPath);
    const std::string_view engine = root.enginePath.view();
    const std::string_view label = root.rootLabel.view();
    if (fullPath || text == "/") {
        Check(engine == text && label == text);
        return 0;
    }
    const int last = RefReverseFind(text, '/', cp932);
    const bool endsWithSeparator = last >= 0 && last == static_cast<int>(text.size()) - 1;
    Check(engine == (endsWithSeparator ? text.substr(0, text.size() - 1) : text));
    const int separator = RefReverseFind(engine, '/', cp932);
    Check(label == engine.substr(static_cast<std::size_t>(separator + 1)));
    return 0;
}
