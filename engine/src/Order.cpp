#include "Order.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string_view>

#include "FolderRead.h"

namespace morvash::detail {
namespace {

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The weight of a byte in a run of non-digits, where the other text may
// already be in a run of digits: "~" before the end of the text, which comes
// before a digit, then letters by their code, then every other byte.
int Weight(std::string_view text, std::size_t at) noexcept {
    if (at >= text.size()) {
        return -1;
    }
    const char c = text[at];
    if (c == '~') {
        return -2;
    }
    if (IsDigit(c)) {
        return 0;
    }
    if (IsLetter(c)) {
        return static_cast<unsigned char>(c);
    }
    return static_cast<unsigned char>(c) + 256;
}

// Debian's comparison of two version texts: alternately a run of non-digits,
// compared byte by byte by weight, and a run of digits, compared by value.
int CompareDebian(std::string_view a, std::string_view b) noexcept {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        while ((i < a.size() && !IsDigit(a[i])) || (j < b.size() && !IsDigit(b[j]))) {
            const int x = Weight(a, i);
            const int y = Weight(b, j);
            if (x != y) {
                return x - y;
            }
            ++i;
            ++j;
        }
        while (i < a.size() && a[i] == '0') {
            ++i;
        }
        while (j < b.size() && b[j] == '0') {
            ++j;
        }
        // Of two runs of significant digits, the longer is larger; of two of
        // one length, the first differing digit decides.
        int firstDifference = 0;
        while (i < a.size() && j < b.size() && IsDigit(a[i]) && IsDigit(b[j])) {
            if (firstDifference == 0) {
                firstDifference = a[i] - b[j];
            }
            ++i;
            ++j;
        }
        if (i < a.size() && IsDigit(a[i])) {
            return 1;
        }
        if (j < b.size() && IsDigit(b[j])) {
            return -1;
        }
        if (firstDifference != 0) {
            return firstDifference;
        }
    }
    return 0;
}

// The length of `name` without its suffix: the longest run of ".X..." parts
// at its end, each a dot, a letter or "~", then letters, digits or "~"; the
// first byte never belongs to the suffix.
std::size_t WithoutSuffix(std::string_view name) noexcept {
    std::size_t prefix = 0;
    for (std::size_t i = 0; i < name.size();) {
        prefix = ++i;
        while (i + 1 < name.size() && name[i] == '.' &&
               (IsLetter(name[i + 1]) || name[i + 1] == '~')) {
            for (i += 2;
                 i < name.size() && (IsLetter(name[i]) || IsDigit(name[i]) || name[i] == '~');
                 ++i) {
            }
        }
    }
    return prefix;
}

// Orders two entries of a folder by the sort key, then by name.
int Compare(const FolderEntries& folder, const Entry& a, const Entry& b, SortKey key) {
    const char* nameA = folder.name(a);
    const char* nameB = folder.name(b);
    const auto descending = [](auto x, auto y) { return x > y ? -1 : x < y ? 1 : 0; };
    int c = 0;
    switch (key) {
        case SortKey::Version:
            c = CompareVersions({nameA, a.length}, {nameB, b.length});
            break;
        case SortKey::Size:
            c = descending(a.details.size, b.details.size);
            break;
        case SortKey::MTime:
            c = a.details.seconds != b.details.seconds
                    ? descending(a.details.seconds, b.details.seconds)
                    : descending(a.details.nanoseconds, b.details.nanoseconds);
            break;
        case SortKey::None:
        case SortKey::Name:
            break;
    }
    if (c == 0 && key != SortKey::Version) {
        c = ::strcoll(nameA, nameB);
    }
    // Names that collate alike still get one order.
    return c != 0 ? c : std::strcmp(nameA, nameB);
}

// Sorts by name where names collate as their bytes: by each name's first
// sixteen bytes, read as two numbers (the comparisons that decide most pairs
// without touching the names, which lie scattered in memory), then by the rest.
void SortBytewise(FolderEntries& folder, bool reverse) {
    struct Key {
        std::uint64_t high;
        std::uint64_t low;
        const char* rest;  // the name's bytes after the sixteenth, when it has more
        std::uint32_t index;
    };
    const auto read = [](const char* name, std::uint32_t length, std::uint32_t from) {
        std::uint64_t value = 0;
        for (std::uint32_t k = from; k < from + 8; ++k) {
            value = (value << 8) | (k < length ? static_cast<unsigned char>(name[k]) : 0u);
        }
        return value;
    };
    std::vector<Key> keys(folder.entries.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        const Entry& entry = folder.entries[i];
        const char* name = folder.name(entry);
        keys[i] = {read(name, entry.length, 0), read(name, entry.length, 8),
                   entry.length > 16 ? name + 16 : nullptr, i};
    }
    const auto before = [](const Key& a, const Key& b) {
        if (a.high != b.high) {
            return a.high < b.high;
        }
        if (a.low != b.low || a.rest == nullptr || b.rest == nullptr) {
            return a.low < b.low || (a.low == b.low && a.rest == nullptr && b.rest != nullptr);
        }
        return std::strcmp(a.rest, b.rest) < 0;
    };
    std::sort(keys.begin(), keys.end(),
              [&](const Key& a, const Key& b) { return reverse ? before(b, a) : before(a, b); });
    for (std::size_t i = 0; i < keys.size(); ++i) {
        folder.order[i] = keys[i].index;
    }
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) noexcept {
    if (a == b) {
        return 0;
    }
    // "", ".", ".." and other names beginning with "." come first, in this order.
    for (const std::string_view first :
         {std::string_view(), std::string_view("."), std::string_view("..")}) {
        if (a == first || b == first) {
            return a == first ? -1 : 1;
        }
    }
    const bool hiddenA = a.starts_with('.');
    if (hiddenA != b.starts_with('.')) {
        return hiddenA ? -1 : 1;
    }
    const std::size_t prefixA = WithoutSuffix(a);
    const std::size_t prefixB = WithoutSuffix(b);
    const int c = CompareDebian(a.substr(0, prefixA), b.substr(0, prefixB));
    if (c != 0 || (prefixA == a.size() && prefixB == b.size())) {
        return c;
    }
    return CompareDebian(a, b);
}

OrderRule::OrderRule(const WalkOptions& options)
    : key(options.sort), reverse(options.reverse), dirsFirst(options.dirsFirst) {
    const char* collation = std::setlocale(LC_COLLATE, nullptr);
    const std::string_view name = collation != nullptr ? collation : "C";
    bytewise = name == "C" || name == "POSIX" || name == "C.UTF-8" || name == "C.utf8";
}

void Order(FolderEntries& folder, const OrderRule& rule) {
    folder.sorted = rule.key != SortKey::None || rule.reverse || rule.dirsFirst;
    if (!folder.sorted) {
        return;
    }
    std::vector<std::uint32_t>& order = folder.order;
    order.resize(folder.entries.size());
    std::iota(order.begin(), order.end(), 0u);
    if (rule.key == SortKey::Name && rule.bytewise) {
        SortBytewise(folder, rule.reverse);
    } else if (rule.key == SortKey::None) {
        if (rule.reverse) {
            std::reverse(order.begin(), order.end());
        }
    } else {
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            const int c = Compare(folder, folder.entries[a], folder.entries[b], rule.key);
            return rule.reverse ? c > 0 : c < 0;
        });
    }
    if (rule.dirsFirst) {
        std::stable_partition(order.begin(), order.end(), [&](std::uint32_t i) {
            return folder.entries[i].type == EntryType::Directory;
        });
    }
}

}  // namespace morvash::detail
