#include "Lister.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "FolderRead.h"
#include "GitIgnore.h"
#include "Selection.h"
#include "ShownName.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"

namespace morvash::detail {

Lister::Lister(const Selection& selection, WalkOutput& out) : selection_(selection), out_(out) {}

Lister::~Lister() = default;

bool Lister::Start(const char* path, platform::Folder& root) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    root = platform::Folder::Open(path);
    if (!root.Valid()) {
        Fail(path, root.Error());
        return false;
    }
    if (selection_.options().gitignore) {
        git_ = GitIgnore::ForFolder(path);
    }
    Entered();
    return true;
}

void Lister::EnterGit(std::string_view name, bool ignoredFolder, FolderEntries& folder) {
    git_->Enter(name, ignoredFolder, folder.hasIgnoreFile,
                folder.hasGitEntry ? GitIgnore::GitEntry::Present : GitIgnore::GitEntry::Absent);
    for (Entry& entry : folder.entries) {
        bool ignored = false;
        entry.leftOut = git_->LeftOut(folder.name(entry), entry.length,
                                      entry.type == EntryType::Directory, ignored);
        entry.ignoredFolder = ignored;
    }
}

void Lister::LeaveGit() {
    if (git_) {
        git_->Leave();
    }
}

void Lister::Fail(std::string_view path, int error, WalkError::Kind kind) {
    out_.errors.push_back({std::string(path), error, kind});
}

void Lister::Report(std::string_view path, const FolderEntries& folder) {
    if (folder.error != 0) {
        Fail(path, folder.error);
    }
    if (folder.lookupError != 0 && selection_.options().details) {
        Fail(path, folder.lookupError, WalkError::Kind::LookUp);
    }
}

void Lister::Entered() {
    if (selection_.options().control != nullptr) {
        selection_.options().control->AddFolder();
    }
}

bool Lister::StopNow() {
    out_.stopped = out_.stopped || selection_.StopRequested();
    return out_.stopped;
}

void Lister::Add(const FolderEntries& folder, std::size_t i, unsigned int depth) {
    // The depth never exceeds the clamped depth, so the indent is a prefix of kTabs.
    static constexpr std::string_view kTabs =
        "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    static_assert(kTabs.size() == MAX_SEARCH_DEPTH);
    const Entry& entry = folder.at(i);
    const std::string_view name(folder.name(entry), entry.length);
    const bool directory = entry.type == EntryType::Directory;
    const bool unshowable = entry.unshowable;
    CString line;
    line.Preallocate(static_cast<int>(depth + (directory ? 1 : 0) + name.size()));
    line += kTabs.substr(0, depth);
    if (directory) {
        line += kDirectoryMarker;
    }
    if (unshowable) {
        AppendShown(line, name, directory);
    } else {
        line += name;
    }
    const int index = out_.lines.Add(std::move(line));
    out_.types.push_back(entry.type);
    if (unshowable) {
        out_.realNames.emplace_back(index, CString(name));
    }
    if (selection_.options().details) {
        out_.details.push_back(entry.details);
    }
    if (entry.type == EntryType::Link && selection_.options().linkTargets) {
        const std::uint32_t at = folder.indexAt(i);
        const auto target =
            std::lower_bound(folder.targets.begin(), folder.targets.end(), at,
                             [](const auto& held, std::uint32_t key) { return held.first < key; });
        if (target != folder.targets.end() && target->first == at) {
            out_.linkTargets.emplace_back(index, target->second);
        }
    }
    ++(directory ? out_.directories : out_.files);
}

Lister::Mark Lister::Here() const noexcept {
    return {out_.lines.GetSize(), out_.files};
}

void Lister::PruneFrom(const Mark& mark) {
    const int count = out_.lines.GetSize();
    if (out_.files != mark.files || count == mark.lines) {
        return;
    }
    // Every line since the mark is a folder's.
    out_.directories -= static_cast<unsigned int>(count - mark.lines);
    out_.lines.SetSize(mark.lines);
    const auto kept = static_cast<std::size_t>(mark.lines);
    out_.types.resize(kept);
    if (selection_.options().details) {
        out_.details.resize(kept);
    }
    while (!out_.realNames.empty() && out_.realNames.back().first >= mark.lines) {
        out_.realNames.pop_back();
    }
}

}  // namespace morvash::detail
