#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "Walk.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"

namespace morvash::detail {
namespace {

// Keeps the records of the lines kept, in order, with their indexes renumbered.
template <typename T>
void KeepIndexed(std::vector<std::pair<int, T>>& records, const std::vector<int>& newIndex) {
    std::size_t kept = 0;
    for (auto& [index, value] : records) {
        if (newIndex[static_cast<std::size_t>(index)] >= 0) {
            records[kept++] = {newIndex[static_cast<std::size_t>(index)], std::move(value)};
        }
    }
    records.resize(kept);
}

}  // namespace

void Prune(WalkOutput& out) {
    // A folder stays when a file is listed below it: each file line keeps the
    // folders above it, found as the last folder line of each lesser depth.
    const int count = out.lines.GetSize();
    std::vector<bool> keep(static_cast<std::size_t>(count));
    std::array<int, MAX_SEARCH_DEPTH + 1> folderAt{};
    for (int i = 0; i < count; ++i) {
        const ListingLine line = ReadListingLine(out.lines[i].view());
        const int depth = std::min(line.depth, MAX_SEARCH_DEPTH);
        if (line.directory) {
            folderAt[static_cast<std::size_t>(depth)] = i;
            continue;
        }
        keep[static_cast<std::size_t>(i)] = true;
        for (int up = depth - 1; up >= 0; --up) {
            const auto folder = static_cast<std::size_t>(folderAt[static_cast<std::size_t>(up)]);
            if (keep[folder]) {
                break;
            }
            keep[folder] = true;
        }
    }
    std::vector<int> newIndex(static_cast<std::size_t>(count), -1);
    int kept = 0;
    out.directories = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!keep[at]) {
            continue;
        }
        newIndex[at] = kept;
        if (kept != i) {
            out.lines.SetAtGrow(kept, CString(out.lines[i]));
            out.types[static_cast<std::size_t>(kept)] = out.types[at];
            if (!out.details.empty()) {
                out.details[static_cast<std::size_t>(kept)] = out.details[at];
            }
        }
        out.directories += IsDirectoryLine(out.lines[kept].view()) ? 1 : 0;
        ++kept;
    }
    out.lines.SetSize(kept);
    out.types.resize(static_cast<std::size_t>(kept));
    if (!out.details.empty()) {
        out.details.resize(static_cast<std::size_t>(kept));
    }
    KeepIndexed(out.realNames, newIndex);
    KeepIndexed(out.linkTargets, newIndex);
}

}  // namespace morvash::detail
