#include "tandrel/render/Colors.h"

#include <algorithm>

namespace tandrel {
namespace {

// st_mode's kinds and bits (POSIX values).
constexpr std::uint32_t kKindMask = 0170000;
constexpr std::uint32_t kDirectoryKind = 0040000;
constexpr std::uint32_t kRegularKind = 0100000;
constexpr std::uint32_t kLinkKind = 0120000;
constexpr std::uint32_t kFifoKind = 0010000;
constexpr std::uint32_t kSocketKind = 0140000;
constexpr std::uint32_t kBlockKind = 0060000;
constexpr std::uint32_t kCharacterKind = 0020000;
constexpr std::uint32_t kSetUidBit = 04000;
constexpr std::uint32_t kSetGidBit = 02000;
constexpr std::uint32_t kStickyBit = 01000;
constexpr std::uint32_t kOtherWriteBit = 0002;
constexpr std::uint32_t kExecuteBits = 0111;

// The two-letter keys, in the order of NameColors::Key.
constexpr std::array<std::string_view, NameColors::kKeyCount> kKeys = {
    "lc", "rc", "ec", "rs", "no", "fi", "di", "ln", "pi", "so", "bd",
    "cd", "mi", "or", "ex", "do", "su", "sg", "st", "ow", "tw", "mh",
};

// ls's built-in values, used for the keys LS_COLORS leaves out.
constexpr std::array<std::string_view, NameColors::kKeyCount> kDefaults = {
    "\x1b[", "m", "", "0",     "",      "",      "01;34", "01;36", "33",    "01;35", "01;33",
    "01;33", "",  "", "01;32", "01;35", "37;41", "30;43", "37;44", "34;42", "30;42", "",
};

// Reads one value's escapes as dircolors writes them: \a \b \e \f \n \r \t \v
// \? \_ (a blank) \\ \^ \NNN (octal) \xHH (hex) and ^X (control X).
std::string Unescape(std::string_view value) {
    std::string out;
    for (std::size_t at = 0; at < value.size(); ++at) {
        const char c = value[at];
        if (c == '^' && at + 1 < value.size()) {
            const char next = value[++at];
            out += next == '?' ? '\x7F' : static_cast<char>(next & 0x1F);
        } else if (c != '\\' || at + 1 == value.size()) {
            out += c;
        } else {
            const char next = value[++at];
            static constexpr std::string_view kFrom = "abefnrtv?_";
            static constexpr std::string_view kTo = "\a\b\x1b\f\n\r\t\v\x7F ";
            if (const std::size_t k = kFrom.find(next); k != std::string_view::npos) {
                out += kTo[k];
            } else if (next >= '0' && next <= '7') {
                int code = 0;
                for (int n = 0; n < 3 && at < value.size() && value[at] >= '0' && value[at] <= '7';
                     ++n) {
                    code = code * 8 + (value[at++] - '0');
                }
                --at;
                out += static_cast<char>(code);
            } else if (next == 'x') {
                int code = 0;
                static constexpr std::string_view kHex = "0123456789abcdef";
                std::size_t digit = 0;
                while (at + 1 < value.size() &&
                       (digit = kHex.find(static_cast<char>(value[at + 1] | 0x20))) !=
                           std::string_view::npos) {
                    code = code * 16 + static_cast<int>(digit);
                    ++at;
                }
                out += static_cast<char>(code);
            } else {
                out += next;
            }
        }
    }
    return out;
}

// Tells whether a value colours anything: ls leaves "", "0" and "00" out.
bool Colours(std::string_view value) {
    return !value.empty() && value != "0" && value != "00";
}

}  // namespace

NameColors::NameColors(std::string_view lsColors) {
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        values_[k] = kDefaults[k];
    }
    std::vector<std::pair<std::string, std::string>> suffixes;
    while (!lsColors.empty()) {
        const std::size_t colon = lsColors.find(':');
        const std::string_view item = lsColors.substr(0, colon);
        lsColors.remove_prefix(colon == std::string_view::npos ? lsColors.size() : colon + 1);
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = item.substr(0, equals);
        std::string value = Unescape(item.substr(equals + 1));
        if (key.starts_with('*')) {
            suffixes.emplace_back(Unescape(key.substr(1)), std::move(value));
        } else if (const auto found = std::find(kKeys.begin(), kKeys.end(), key);
                   found != kKeys.end()) {
            values_[static_cast<std::size_t>(found - kKeys.begin())] = std::move(value);
        }
    }
    linkAsTarget_ = values_[kLink] == "target";
    const auto sequence = [this](std::string_view value) {
        return Colours(value) ? values_[kLeft] + std::string(value) + values_[kRight]
                              : std::string();
    };
    for (std::size_t k = kNormal; k < kKeyCount; ++k) {
        begins_[k] = k == kLink && linkAsTarget_ ? std::string() : sequence(values_[k]);
        longest_ = std::max(longest_, begins_[k].size());
    }
    for (std::size_t order = 0; order < suffixes.size(); ++order) {
        auto& [suffix, value] = suffixes[order];
        Suffix colour{sequence(value), order};
        longest_ = std::max(longest_, colour.sequence.size());
        if (suffix.starts_with('.') && suffix.find('.', 1) == std::string::npos) {
            extensions_.insert_or_assign(std::move(suffix), std::move(colour));
        } else {
            otherSuffixes_.emplace_back(std::move(suffix), std::move(colour));
        }
    }
    end_ =
        Colours(values_[kEnd]) ? values_[kEnd] : values_[kLeft] + values_[kReset] + values_[kRight];
}

std::string_view NameColors::byMode(std::uint32_t mode, std::uint32_t links, std::string_view name,
                                    bool directory) const {
    const std::uint32_t kind = mode & kKindMask;
    const auto coloured = [this](Key key) { return !begins_[key].empty(); };
    if (directory || kind == kDirectoryKind) {
        const bool sticky = (mode & kStickyBit) != 0;
        const bool otherWritable = (mode & kOtherWriteBit) != 0;
        if (sticky && otherWritable && coloured(kStickyOtherWritable)) {
            return begins_[kStickyOtherWritable];
        }
        if (otherWritable && coloured(kOtherWritable)) {
            return begins_[kOtherWritable];
        }
        if (sticky && coloured(kSticky)) {
            return begins_[kSticky];
        }
        return begins_[kDirectory];
    }
    switch (kind) {
        case kFifoKind:
            return begins_[kFifo];
        case kSocketKind:
            return begins_[kSocket];
        case kBlockKind:
            return begins_[kBlock];
        case kCharacterKind:
            return begins_[kCharacter];
        case kRegularKind:
        case 0:
            break;
        default:
            return begins_[kNormal];
    }
    if ((mode & kSetUidBit) != 0 && coloured(kSetUid)) {
        return begins_[kSetUid];
    }
    if ((mode & kSetGidBit) != 0 && coloured(kSetGid)) {
        return begins_[kSetGid];
    }
    if ((mode & kExecuteBits) != 0 && coloured(kExecutable)) {
        return begins_[kExecutable];
    }
    if (links > 1 && coloured(kMultiLink)) {
        return begins_[kMultiLink];
    }
    const Suffix* found = nullptr;
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        if (const auto extension = extensions_.find(name.substr(dot));
            extension != extensions_.end()) {
            found = &extension->second;
        }
    }
    for (const auto& [suffix, colour] : otherSuffixes_) {
        if ((found == nullptr || colour.order > found->order) && name.ends_with(suffix)) {
            found = &colour;
        }
    }
    return found != nullptr ? std::string_view(found->sequence) : begins_[kFile];
}

std::string_view NameColors::Begin(morvash::EntryType type, std::uint32_t mode, std::uint32_t links,
                                   std::string_view name, bool dangling,
                                   std::uint32_t targetMode) const {
    switch (type) {
        case morvash::EntryType::Directory:
            return byMode(mode, links, name, true);
        case morvash::EntryType::Link:
            if (dangling && !begins_[kOrphan].empty()) {
                return begins_[kOrphan];
            }
            return linkAsTarget_ && !dangling ? byMode(targetMode, 1, name, false) : begins_[kLink];
        case morvash::EntryType::Other:
            return (mode & kKindMask) == 0 ? begins_[kNormal] : byMode(mode, links, name, false);
        case morvash::EntryType::File:
            break;
    }
    return byMode((mode & kKindMask) == kLinkKind ? 0 : mode, links, name, false);
}

std::string_view NameColors::BeginTarget(std::string_view target, bool dangling,
                                         std::uint32_t targetMode) const {
    return dangling ? std::string_view(begins_[kMissing]) : byMode(targetMode, 1, target, false);
}

}  // namespace tandrel
