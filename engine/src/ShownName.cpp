#include "ShownName.h"

#include <string>

#include "morvash/ListingLine.h"

namespace morvash::detail {
namespace {

bool IsControlByte(unsigned char byte) noexcept {
    return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F;
}

}  // namespace

bool NeedsShowing(std::string_view name, bool directory) noexcept {
    if (!directory && !name.empty() && name.front() == kDirectoryMarker) {
        return true;
    }
    // Every name of the walk passes here: test all bytes without branching,
    // which the compiler turns into vector code.
    bool found = false;
    for (const char c : name) {
        found |= IsControlByte(static_cast<unsigned char>(c));
    }
    return found;
}

void AppendShown(CString& out, std::string_view name, bool directory) {
    if (!NeedsShowing(name, directory)) {
        out += name;
        return;
    }
    // Control bytes are never trail bytes of a double-byte character, so
    // replacing them byte by byte is safe in every code page.
    std::string shown(name);
    for (char& c : shown) {
        if (IsControlByte(static_cast<unsigned char>(c))) {
            c = kShownInstead;
        }
    }
    if (!directory && shown.front() == kDirectoryMarker) {
        shown.front() = kShownInstead;
    }
    out += std::string_view(shown);
}

}  // namespace morvash::detail
