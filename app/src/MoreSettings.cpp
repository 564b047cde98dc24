#include "tandrel/dialog/MoreSettings.h"

#include <algorithm>
#include <utility>

#include "morvash/SerchFiles.h"
#include "tandrel/render/Patterns.h"

namespace tandrel::dialog {

bool MoreSettings::IsDefault() const {
    const MoreSettings defaults;
    return SplitPatterns(exclude.view(), true).empty() && gitignore == defaults.gitignore &&
           noHidden == defaults.noHidden && limitDepth == defaults.limitDepth &&
           sort == defaults.sort && reverse == defaults.reverse &&
           dirsFirst == defaults.dirsFirst && draw == defaults.draw;
}

void MoreSettings::ApplyTo(morvash::WalkOptions& walk) const {
    walk.exclude = SplitPatterns(exclude.view(), true);
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

}  // namespace tandrel::dialog
