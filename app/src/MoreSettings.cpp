#include "tandrel/dialog/MoreSettings.h"

#include <algorithm>
#include <utility>

#include "morvash/SerchFiles.h"
#include "morvash/platform/MbcsSearch.h"

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
    std::vector<std::string> patterns;
    std::string pattern;
    // Character by character: in code page 932 the second byte of a
    // double-byte character may be a "|".
    for (int pos = 0; pos < static_cast<int>(text.size());) {
        const std::string_view character = text.substr(pos, platform::CharLength(text, pos));
        if (character == " " || character == "\t" || character == "|") {
            if (!pattern.empty()) {
                patterns.push_back(std::exchange(pattern, {}));
            }
        } else {
            pattern += character;
        }
        pos += static_cast<int>(character.size());
    }
    if (!pattern.empty()) {
        patterns.push_back(std::move(pattern));
    }
    return patterns;
}

}  // namespace tandrel::dialog
