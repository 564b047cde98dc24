#include "Selection.h"

#include <algorithm>

#include "ExtensionFilter.h"
#include "NamePattern.h"
#include "morvash/SerchFiles.h"

namespace morvash::detail {

Selection::Selection(std::string_view extensions, const WalkOptions& options)
    : options_(options),
      extensions_(extensions),
      maxDepth_(std::min<unsigned int>(options.maxDepth, MAX_SEARCH_DEPTH)),
      lookUpAll_((options.details && !options.presenceOnly) || options.sort == SortKey::Size ||
                 options.sort == SortKey::MTime),
      lookUpFolders_(options.oneFileSystem || options.sort == SortKey::Size ||
                     options.sort == SortKey::MTime || (options.details && options.folderDetails)),
      probe_(options.details && !lookUpAll_) {
    for (const std::string& text : options.exclude) {
        exclude_.emplace_back(text);
    }
    for (const std::string& text : options.include) {
        include_.emplace_back(text);
    }
}

Selection::~Selection() = default;

bool Selection::AnyMatches(const std::vector<NamePattern>& patterns, std::string_view name,
                           bool directory) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const NamePattern& pattern) {
        return pattern.Matches(name, directory);
    });
}

Verdict Selection::Keep(std::string_view name, EntryType type, bool allIncluded) const {
    const bool directory = type == EntryType::Directory;
    if ((options_.noHidden && name.starts_with('.')) || AnyMatches(exclude_, name, directory)) {
        return Verdict::LeftOut;
    }
    const bool checkInclude = !include_.empty() && !allIncluded;
    if (directory) {
        return checkInclude && options_.matchDirs && AnyMatches(include_, name, true)
                   ? Verdict::KeptWithAll
                   : Verdict::Kept;
    }
    if ((checkInclude && !AnyMatches(include_, name, false)) ||
        !AcceptedByFilter(name, extensions_, options_.extensionsIgnoreCase)) {
        return Verdict::LeftOut;
    }
    return Verdict::Kept;
}

bool Selection::Enters(unsigned int depth, const platform::FileStatus* status) const {
    return depth < maxDepth_ &&
           !(options_.oneFileSystem && status != nullptr && status->device != device_);
}

void Selection::SetDevice(const platform::Folder& root) {
    platform::FileStatus status;
    if (options_.oneFileSystem && root.Status(status)) {
        device_ = status.device;
    }
}

}  // namespace morvash::detail
