#include "FolderRead.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <span>
#include <string_view>

#include "Order.h"
#include "Selection.h"
#include "ShownName.h"

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

EntryDetails DetailsOf(const platform::FileStatus& status) noexcept {
    return {.size = status.size,
            .seconds = status.seconds,
            .nanoseconds = status.nanoseconds,
            .mode = status.mode,
            .links = status.links,
            .found = true};
}

// The lookups of one folder's kept entries, which several threads may share:
// each range of entries is looked up by one thread, and the first failure
// but for a vanished entry is kept for the folder's report.
class Lookups {
  public:
    Lookups(const platform::Folder& folder, FolderPlace place, const Selection& selection,
            FolderEntries& out)
        : folder_(folder), place_(place), selection_(selection), out_(out) {}

    void Run(std::size_t begin, std::size_t end);
    int Error() const noexcept { return error_.load(std::memory_order_relaxed); }

  private:
    bool lookUp(const char* name, platform::FileStatus& status);

    const platform::Folder& folder_;
    const FolderPlace place_;
    const Selection& selection_;
    FolderEntries& out_;
    std::atomic<int> error_{0};
};

bool Lookups::lookUp(const char* name, platform::FileStatus& status) {
    if (folder_.LookUp(name, status)) {
        return true;
    }
    int none = 0;
    if (errno != ENOENT) {
        error_.compare_exchange_strong(none, errno, std::memory_order_relaxed);
    }
    return false;
}

void Lookups::Run(std::size_t begin, std::size_t end) {
    // Entries whose link targets are read have their places in `targets`, in
    // entry order, made before the lookups.
    auto target = std::lower_bound(
        out_.targets.begin(), out_.targets.end(), static_cast<std::uint32_t>(begin),
        [](const auto& held, std::uint32_t index) { return held.first < index; });
    for (std::size_t i = begin; i < end; ++i) {
        Entry& entry = out_.entries[i];
        const char* name = out_.name(entry);
        platform::FileStatus status;
        bool found = false;
        // A folder looked up already for its kind is looked up again only for
        // its device, on file systems whose reads tell no kinds.
        if (!selection_.LooksUp(entry.type)) {
            // Nothing needs its lookup: present, as its folder's read says.
            entry.details.found = true;
        } else if (!entry.lookedUp || entry.type == EntryType::Directory) {
            found = lookUp(name, status);
            if (found) {
                entry.details = DetailsOf(status);
            }
        }
        entry.enter = entry.type == EntryType::Directory &&
                      selection_.Enters(place_.depth, found ? &status : nullptr);
        if (target != out_.targets.end() && target->first == i) {
            LinkTarget& link = target->second;
            if (folder_.ReadLink(name, link.text) && folder_.LookUpTarget(name, status)) {
                link.dangling = false;
                link.mode = status.mode;
            }
            ++target;
        }
    }
}

// Tells whether the folder's entries can be looked up, by looking them up in
// turn until one is found or fails for another reason than having vanished.
void ProbePresence(const platform::Folder& folder, FolderEntries& out) {
    int error = 0;
    for (const Entry& entry : out.entries) {
        platform::FileStatus status;
        if (folder.LookUp(out.name(entry), status)) {
            break;
        }
        if (errno != ENOENT) {
            error = errno;
            break;
        }
    }
    out.lookupError = error;
    for (Entry& entry : out.entries) {
        entry.details.found = error == 0;
    }
}

// Makes room for one batch of a folder's read at once, growing the storage
// geometrically still: most folders fit in one batch, and so take one
// allocation for their entries and one for their names.
void ReserveFor(std::span<const platform::DirEntry> batch, FolderEntries& out) {
    const auto grow = [](auto& storage, std::size_t needed) {
        if (needed > storage.capacity()) {
            storage.reserve(std::max(needed, 2 * storage.capacity()));
        }
    };
    std::size_t bytes = 0;
    for (const platform::DirEntry& read : batch) {
        bytes += read.length + 1;
    }
    grow(out.entries, out.entries.size() + batch.size());
    grow(out.names, out.names.size() + bytes);
}

}  // namespace

bool ReadFolder(const platform::Folder& folder, FolderPlace place, const ReadRules& rules,
                platform::EntryReader& reader, FolderEntries& out) {
    const Selection& selection = rules.selection;
    out.entries.clear();
    out.names.clear();
    out.targets.clear();
    out.hasIgnoreFile = false;
    out.hasGitEntry = false;
    out.lookupError = 0;
    while (reader.Read(folder)) {
        if (selection.StopRequested()) {
            return false;
        }
        const std::size_t before = out.entries.size();
        ReserveFor(reader.Entries(), out);
        for (const platform::DirEntry& read : reader.Entries()) {
            const std::string_view name(read.name, read.length);
            out.hasIgnoreFile = out.hasIgnoreFile || name == ".gitignore";
            out.hasGitEntry = out.hasGitEntry || name == ".git";
            Entry entry;
            platform::EntryKind kind = read.kind;
            if (kind == platform::EntryKind::Unknown) {
                // The file system does not give kinds in its folder reads.
                platform::FileStatus status;
                if (folder.LookUp(read.name, status)) {
                    kind = status.kind;
                    entry.details = DetailsOf(status);
                }
                entry.lookedUp = true;
            }
            entry.type = TypeOf(kind);
            const Verdict verdict = selection.Keep(name, entry.type, place.allIncluded);
            if (verdict == Verdict::LeftOut) {
                continue;
            }
            entry.allIncluded = place.allIncluded || verdict == Verdict::KeptWithAll;
            entry.unshowable = NeedsShowing(name, entry.type == EntryType::Directory);
            if (entry.type == EntryType::Link && selection.ReadsLinkTargets()) {
                out.targets.emplace_back(static_cast<std::uint32_t>(out.entries.size()),
                                         LinkTarget{});
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

    Lookups lookups(folder, place, selection, out);
    if (rules.chunks != nullptr) {
        rules.chunks->Run(out.entries.size(), [&lookups](std::size_t begin, std::size_t end) {
            lookups.Run(begin, end);
        });
    } else {
        lookups.Run(0, out.entries.size());
    }
    out.lookupError = lookups.Error();
    if (selection.ProbesPresence()) {
        ProbePresence(folder, out);
    }
    if (selection.StopRequested()) {
        return false;
    }
    Order(out, rules.order);
    return true;
}

}  // namespace morvash::detail
