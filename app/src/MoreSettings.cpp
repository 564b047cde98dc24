#include "tandrel/dialog/MoreSettings.h"

#include <algorithm>

#include "morvash/SerchFiles.h"

namespace tandrel::dialog {

bool MoreSettings::IsDefault() const {
    const MoreSettings defaults;
    return SplitPatterns(exclude.view()).empty() && gitignore == defaults.gitignore &&
           noHidden == defaults.noHidden && limitDepth == defaults.limitDepth &&
           sort == defaults.sort && reverse == defaults.reverse &&
           dirsFirst == defaults.dirsFirst && draw == defaults.draw;
}

void MoreSettings::ApplyTo(morvash::WalkOptions& walk) const {
    walk.exclude = SplitPatterns(exclude.view());
    walk.gitignore = gitignore;
    walk.noHidden = noHidden;
    if (limitDepth) {
        // N levels listed are N - 1 levels entered below the folder.
        const int entered = std::clamp(depth, 1, MAX_SEARCH_DEPTH) - 1;
        walk.maxDepth = std::min(walk.maxDepth, static_cast<unsigned int>(entered));
    }
    walk.sort = sort;
    walk.reverse = reverse;
    walk.dirsFirst = dirsFirst;
}

void MoreSettings::ApplyTo(TreeOptions& tree) const {
    tree.draw = draw;
    tree.alignColumns = draw != DrawStyle::Dialog;
}

std::vector<std::string> SplitPatterns(std::string_view text) {
    // A blank byte is never part of a double-byte character of code page 932.
    constexpr std::string_view kBlanks = " \t";
    std::vector<std::string> patterns;
    for (std::size_t start = text.find_first_not_of(kBlanks); start != std::string_view::npos;) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, start), text.size());
        patterns.emplace_back(text.substr(start, end - start));
        start = text.find_first_not_of(kBlanks, end);
    }
    return patterns;
}

}  // namespace tandrel::dialog
