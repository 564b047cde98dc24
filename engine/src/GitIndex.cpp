#include "GitIndex.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "morvash/platform/Files.h"

namespace morvash::detail {
namespace {

constexpr std::size_t kHashSize = 20;  // SHA-1
constexpr std::size_t kHeader = 12;    // "DIRC", version, entry count

// Each entry's path in the names read, in the file's order.
using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

std::uint64_t BigEndian(std::string_view data, std::size_t pos, int bytes) noexcept {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = (value << 8) | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
    }
    return value;
}

std::uint32_t BigEndian32(std::string_view data, std::size_t pos) noexcept {
    return static_cast<std::uint32_t>(BigEndian(data, pos, 4));
}

// What a split index's link extension says: the shared index's name, and
// the positions of the entries it deletes from it.
struct Link {
    bool present = false;
    std::string sharedIndex;  // "sharedindex." and the id in hex; empty for none
    std::vector<bool> deleted;
};

// Reads the EWAH-compressed bitmap at `pos` into `bits`: 64-bit words, each
// marker word telling a run of words all set or all clear, then how many
// literal words follow it, whose bit i stands for position 64 * word + i.
bool ReadBitmap(std::string_view data, std::size_t pos, std::size_t end, std::vector<bool>& bits) {
    if (pos + 8 > end) {
        return false;
    }
    bits.assign(BigEndian32(data, pos), false);
    const std::uint32_t words = BigEndian32(data, pos + 4);
    if (words > (end - pos - 8) / 8) {
        return false;
    }
    std::uint64_t at = 0;
    const auto set = [&bits](std::uint64_t bit) {
        if (bit < bits.size()) {
            bits[bit] = true;
        }
    };
    for (std::uint32_t word = 0; word < words;) {
        const std::uint64_t marker = BigEndian(data, pos + 8 + 8 * std::size_t{word++}, 8);
        const std::uint64_t run = ((marker >> 1) & 0xFFFFFFFF) * 64;
        for (std::uint64_t bit = at;
             (marker & 1) != 0 && bit < std::min(at + run, std::uint64_t{bits.size()}); ++bit) {
            set(bit);
        }
        at += run;
        for (std::uint64_t literal = marker >> 33; literal > 0 && word < words; --literal) {
            const std::uint64_t bitsHere = BigEndian(data, pos + 8 + 8 * std::size_t{word++}, 8);
            for (int bit = 0; bit < 64; ++bit) {
                if (((bitsHere >> bit) & 1) != 0) {
                    set(at + static_cast<std::uint64_t>(bit));
                }
            }
            at += 64;
        }
    }
    return true;
}

bool ReadLink(std::string_view data, std::size_t pos, std::size_t end, Link& link) {
    if (end - pos < kHashSize) {
        return false;
    }
    link.present = true;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string id;
    for (std::size_t i = 0; i < kHashSize; ++i) {
        const auto byte = static_cast<unsigned char>(data[pos + i]);
        id += kHex[byte >> 4];
        id += kHex[byte & 15];
    }
    if (id.find_first_not_of('0') != id.npos) {
        link.sharedIndex = "sharedindex." + id;
    }
    pos += kHashSize;
    return pos == end || ReadBitmap(data, pos, end, link.deleted);
}

// Reads the paths of the index `data` into `names` and `spans`, and its link
// extension; false when the file is not an index of format 2 to 4 or its
// entries or extensions run past its end.
bool ReadEntries(std::string_view data, std::string& names, Spans& spans, Link& link) {
    constexpr std::size_t kFixed = 40 + kHashSize + 2;  // stat data, object id, flags
    if (data.size() < kHeader + kHashSize || !data.starts_with("DIRC")) {
        return false;
    }
    const std::uint32_t version = BigEndian32(data, 4);
    const std::uint32_t count = BigEndian32(data, 8);
    if (version < 2 || version > 4) {
        return false;
    }
    const std::size_t end = data.size() - kHashSize;
    spans.reserve(count);
    std::string path;
    std::size_t pos = kHeader;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (pos + kFixed > end) {
            return false;
        }
        const bool extended = version >= 3 && (static_cast<unsigned char>(data[pos + 60]) & 0x40);
        std::size_t at = pos + kFixed + (extended ? 2 : 0);
        std::size_t strip = 0;
        if (version == 4) {
            // The path drops `strip` bytes from the end of the one before,
            // given as git's variable-length number, then adds its own bytes.
            unsigned char byte = 0x80;
            for (bool first = true; (byte & 0x80) != 0 && at < end; first = false) {
                byte = static_cast<unsigned char>(data[at++]);
                strip = first ? (byte & 0x7F) : ((strip + 1) << 7) | (byte & 0x7F);
            }
            if (strip > path.size()) {
                return false;
            }
        }
        const std::size_t nul = data.find('\0', at);
        if (nul >= end) {
            return false;
        }
        path.resize(version == 4 ? path.size() - strip : 0);
        path.append(data, at, nul - at);
        spans.emplace_back(names.size(), path.size());
        names += path;
        // Entries before format 4 are padded with NULs to a multiple of 8 bytes.
        pos = version == 4 ? nul + 1 : pos + ((nul - pos + 8) & ~std::size_t{7});
    }
    // Extensions, each a signature and a size, fill the rest exactly.
    if (pos > end) {
        return false;
    }
    while (pos < end) {
        if (end - pos < 8 || BigEndian32(data, pos + 4) > end - pos - 8) {
            return false;
        }
        const std::size_t next = pos + 8 + BigEndian32(data, pos + 4);
        if (data.compare(pos, 4, "link") == 0 && !ReadLink(data, pos + 8, next, link)) {
            return false;
        }
        pos = next;
    }
    return true;
}

void Sort(const std::string& names, const Spans& spans, std::vector<std::string_view>& paths) {
    paths.clear();
    paths.reserve(spans.size());
    for (const auto& [start, length] : spans) {
        if (length > 0) {  // a split index's replaced entries carry no path
            paths.emplace_back(names.data() + start, length);
        }
    }
    if (!std::is_sorted(paths.begin(), paths.end())) {
        std::sort(paths.begin(), paths.end());
    }
}

}  // namespace

bool ReadIndexPaths(const std::string& data, std::string& names,
                    std::vector<std::string_view>& paths) {
    Spans spans;
    Link link;
    if (!ReadEntries(data, names, spans, link) || link.present) {
        return false;
    }
    Sort(names, spans, paths);
    return true;
}

bool GitIndex::Read(const std::string& gitDir) {
    names_.clear();
    paths_.clear();
    std::string data;
    Spans spans;
    Link link;
    if (!platform::ReadRegularFile(gitDir + "index", data) ||
        !ReadEntries(data, names_, spans, link)) {
        names_.clear();
        return false;
    }
    if (!link.sharedIndex.empty()) {
        // The shared index's paths first, less the deleted ones.
        std::string shared;
        std::string sharedNames;
        Spans sharedSpans;
        Link none;
        if (!platform::ReadRegularFile(gitDir + link.sharedIndex, shared) ||
            !ReadEntries(shared, sharedNames, sharedSpans, none)) {
            names_.clear();
            return false;
        }
        for (std::size_t i = 0; i < sharedSpans.size(); ++i) {
            if (i >= link.deleted.size() || !link.deleted[i]) {
                spans.emplace_back(names_.size() + sharedSpans[i].first, sharedSpans[i].second);
            }
        }
        names_ += sharedNames;
    }
    Sort(names_, spans, paths_);
    return true;
}

bool GitIndex::Holds(std::string_view path) const {
    return std::binary_search(paths_.begin(), paths_.end(), path);
}

bool GitIndex::HoldsBelow(std::string_view folder) const {
    const auto at = std::lower_bound(paths_.begin(), paths_.end(), folder);
    return at != paths_.end() && at->starts_with(folder);
}

}  // namespace morvash::detail
