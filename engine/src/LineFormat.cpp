#include "LineFormat.h"

#include <string>

namespace morvash::detail {
namespace {

bool IsControlByte(unsigned char byte) noexcept {
    return (byte >= 0x01 && byte <= 0x1F) || byte == 0x7F;
}

}  // namespace

bool NeedsShowing(std::string_view name, bool directory) noexcept {
    if (!directory && !name.empty() && name.front() == kMarker) {
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
    if (!directory && shown.front() == kMarker) {
        shown.front() = kShownInstead;
    }
    out += std::string_view(shown);
}

int LeadingTabs(std::string_view line) noexcept {
    const std::size_t first = line.find_first_not_of('\t');
    return static_cast<int>(first == std::string_view::npos ? line.size() : first);
}

std::string_view ShownName(std::string_view line) noexcept {
    line.remove_prefix(static_cast<std::size_t>(LeadingTabs(line)));
    if (!line.empty() && line.front() == kMarker) {
        line.remove_prefix(1);
    }
    return line;
}

}  // namespace morvash::detail
