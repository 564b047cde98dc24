#include "FolderRead.h"

#include <cerrno>
#include <string_view>

#include "Order.h"
#include "Selection.h"

namespace morvash::detail {
namespace {

EntryType TypeOf(platform::EntryKind kind) noexcept {
    switch (kind) {
        case platform::EntryKind::Directory:
            return EntryType::Directory;
        case platform::EntryKind::Link:
            return EntryType::Link;
        case platform::EntryKind::Other:
            return EntryType::Other;
        case platform::EntryKind::File:
        case platform::EntryKind::Unknown:
            break;
    }
    return EntryType::File;
}

// Looks the entry `name` of `folder` up into `entry`; a failure other than
// the entry's vanishing since the read is kept for the folder's report.
bool LookUp(const platform::Folder& folder, const char* name, Entry& entry,
            platform::FileStatus& status, FolderEntries& out) {
    if (!folder.LookUp(name, status)) {
        if (errno != ENOENT && out.lookupError == 0) {
            out.lookupError = errno;
        }
        return false;
    }
    entry.details = {.size = status.size,
                     .seconds = status.seconds,
                     .nanoseconds = status.nanoseconds,
                     .mode = status.mode,
                     .links = status.links,
                     .found = true};
    return true;
}

void ReadTarget(const platform::Folder& folder, const char* name, std::uint32_t index,
                FolderEntries& out) {
    LinkTarget target;
    platform::FileStatus status;
    if (folder.ReadLink(name, target.text) && folder.LookUpTarget(name, status)) {
        target.dangling = false;
        target.mode = status.mode;
    }
    out.targets.emplace_back(index, std::move(target));
}

}  // namespace

bool ReadFolder(const platform::Folder& folder, FolderPlace place, const Selection& selection,
                const OrderRule& order, platform::EntryReader& reader, FolderEntries& out) {
    out.entries.clear();
    out.names.clear();
    out.targets.clear();
    out.hasIgnoreFile = false;
    out.lookupError = 0;
    while (reader.Read(folder)) {
        if (selection.StopRequested()) {
            return false;
        }
        const std::size_t before = out.entries.size();
        for (const platform::DirEntry& read : reader.Entries()) {
            const std::string_view name(read.name, read.length);
            out.hasIgnoreFile = out.hasIgnoreFile || name == ".gitignore";
            Entry entry;
            platform::FileStatus status;
            bool found = false;
            bool looked = false;
            if (read.kind == platform::EntryKind::Unknown) {
                // The file system does not give kinds in its folder reads.
                looked = true;
                found = LookUp(folder, read.name, entry, status, out);
            }
            entry.type = TypeOf(found ? status.kind : read.kind);
            const Verdict verdict = selection.Keep(name, entry.type, place.allIncluded);
            if (verdict == Verdict::LeftOut) {
                continue;
            }
            if (!looked && selection.LooksUp(entry.type)) {
                found = LookUp(folder, read.name, entry, status, out);
            }
            entry.enter = entry.type == EntryType::Directory &&
                          selection.Enters(place.depth, found ? &status : nullptr);
            entry.allIncluded = place.allIncluded || verdict == Verdict::KeptWithAll;
            if (entry.type == EntryType::Link && selection.ReadsLinkTargets()) {
                ReadTarget(folder, read.name, static_cast<std::uint32_t>(out.entries.size()), out);
            }
            entry.name = static_cast<std::uint32_t>(out.names.size());
            entry.length = read.length;
            out.names.append(name);
            out.names += '\0';
            out.entries.push_back(entry);
        }
        selection.CountRead(out.entries.size() - before);
    }
    // What was read before a failure stays listed; the folder is reported.
    out.error = reader.Error();
    Order(out, order);
    return true;
}

}  // namespace morvash::detail
