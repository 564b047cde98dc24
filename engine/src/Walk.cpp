#include "Walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>

#include "ExtensionFilter.h"
#include "GitIgnore.h"
#include "ShownName.h"
#include "morvash/ListingLine.h"
#include "morvash/SerchFiles.h"
#include "morvash/platform/FileFind.h"

namespace morvash::detail {

namespace {

constexpr char kSeparator = '/';
constexpr std::size_t kReadSize = 32 * 1024;  // bytes per directory read
constexpr unsigned int kLevels = MAX_SEARCH_DEPTH + 1;

class Fd {
  public:
    explicit Fd(int fd) noexcept : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const noexcept { return fd_; }
    bool valid() const noexcept { return fd_ >= 0; }

  private:
    int fd_;
};

// One entry of a folder as read.
struct Entry {
    std::uint32_t name = 0;    // offset of its NUL-terminated name in Folder::names
    std::uint32_t length = 0;  // of the name
    EntryType type = EntryType::File;
    bool ignoredFolder = false;  // git ignores it; entered for its tracked files
    bool statDone = false;
    std::int64_t size = 0;
    std::int64_t seconds = 0;  // last-write time
    std::int64_t nanoseconds = 0;
};

// A folder's entries, kept per level and reused from folder to folder.
struct Folder {
    std::vector<Entry> entries;
    std::string names;
    std::vector<std::uint32_t> order;

    const char* name(const Entry& entry) const { return names.data() + entry.name; }
};

EntryType TypeOf(unsigned char type) noexcept {
    switch (type) {
        case DT_DIR:
            return EntryType::Directory;
        case DT_LNK:
            return EntryType::Link;
        case DT_REG:
        case DT_UNKNOWN:
            return EntryType::File;
        default:
            return EntryType::Other;
    }
}

// An exclusion pattern, with plain forms ("name", "*.o", "build*") compared
// directly: fnmatch converts both strings to wide characters on every call.
class Pattern {
  public:
    Pattern(std::string_view text, bool literalForms) {
        foldersOnly_ = text.ends_with('/');
        if (foldersOnly_) {
            text.remove_suffix(1);
        }
        text_ = std::string(text);
        if (!literalForms || text.find_first_of("?[\\") != text.npos) {
            return;
        }
        const auto stars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '*'));
        if (stars == text.size() && stars > 0) {
            form_ = Form::Any;
        } else if (stars == 0) {
            form_ = Form::Exact;
        } else if (stars == 1 && text.front() == '*') {
            form_ = Form::Suffix;
            literal_ = std::string(text.substr(1));
        } else if (stars == 1 && text.back() == '*') {
            form_ = Form::Prefix;
            literal_ = std::string(text.substr(0, text.size() - 1));
        }
        if (form_ == Form::Exact) {
            literal_ = text_;
        }
    }

    bool Matches(const char* name, std::size_t length, bool directory) const {
        if (foldersOnly_ && !directory) {
            return false;
        }
        const std::string_view text(name, length);
        switch (form_) {
            case Form::Any:
                return true;
            case Form::Exact:
                return text == literal_;
            case Form::Prefix:
                return text.starts_with(literal_);
            case Form::Suffix:
                return text.ends_with(literal_);
            case Form::Glob:
                break;
        }
        const int result = ::fnmatch(text_.c_str(), name, 0);
        if (result == 0 || result == FNM_NOMATCH) {
            return result == 0;
        }
        // A name that is not valid in the locale's encoding: match its bytes.
        static const locale_t bytes = ::newlocale(LC_ALL_MASK, "C", nullptr);
        const locale_t previous = ::uselocale(bytes);
        const bool match = ::fnmatch(text_.c_str(), name, 0) == 0;
        ::uselocale(previous);
        return match;
    }

  private:
    enum class Form { Any, Exact, Prefix, Suffix, Glob };
    Form form_ = Form::Glob;
    bool foldersOnly_ = false;
    std::string text_;
    std::string literal_;  // the plain part of text_
};

class Walker {
  public:
    Walker(std::string_view extensions, const WalkOptions& options, WalkOutput& out)
        : options_(options),
          extensions_(extensions),
          maxDepth_(std::min<unsigned int>(options.maxDepth, MAX_SEARCH_DEPTH)),
          needStat_(options.sort == SortKey::Size || options.sort == SortKey::MTime),
          out_(out) {
        // Comparing bytes is comparing characters where a character's bytes
        // never look like another's: in UTF-8 and in single-byte code pages.
        const bool literalForms =
            MB_CUR_MAX == 1 || std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
        for (const std::string& text : options.exclude) {
            patterns_.emplace_back(text, literalForms);
        }
    }

    void Run(const char* path);

  private:
    void walkFolder(int fd, unsigned int depth, std::string_view name, bool ignoredFolder);
    bool read(int fd, Folder& folder, bool& hasIgnoreFile);
    bool leftOutByName(const char* name, std::size_t length, bool directory) const;
    void sort(Folder& folder) const;
    int compare(const Folder& folder, const Entry& a, const Entry& b) const;
    bool onOtherDevice(int fd, const char* name) const;
    void enter(int fd, const Entry& entry, std::string_view name, unsigned int depth);
    void addLine(std::string_view name, unsigned int depth, EntryType type);
    void fail(int error) { out_.errors.push_back({path_, error}); }
    bool stopNow() {
        if (options_.control != nullptr && options_.control->StopRequested()) {
            out_.stopped = true;
        }
        return out_.stopped;
    }

    const WalkOptions& options_;
    std::string_view extensions_;
    unsigned int maxDepth_;
    bool needStat_;
    WalkOutput& out_;
    std::vector<Pattern> patterns_;
    std::unique_ptr<GitIgnore> git_;
    dev_t device_ = 0;  // the walked folder's
    std::string path_;  // the folder being read, as built
    std::array<Folder, kLevels> folders_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kReadSize);
};

void Walker::Run(const char* path) {
    if (path == nullptr || *path == '\0') {
        return;
    }
    path_ = path;
    const Fd root(platform::OpenFolder(path_));
    if (!root.valid()) {
        fail(errno);
        return;
    }
    struct stat info {};
    if (options_.oneFileSystem && ::fstat(root.get(), &info) == 0) {
        device_ = info.st_dev;
    }
    if (options_.gitignore) {
        git_ = GitIgnore::ForFolder(path);
    }
    if (options_.control != nullptr) {
        options_.control->AddFolder();
    }
    walkFolder(root.get(), 0, {}, false);
}

void Walker::walkFolder(int fd, unsigned int depth, std::string_view name, bool ignoredFolder) {
    Folder& folder = folders_[depth];
    bool hasIgnoreFile = false;
    if (!read(fd, folder, hasIgnoreFile)) {
        return;
    }
    struct LeaveGit {
        GitIgnore* git;
        ~LeaveGit() {
            if (git != nullptr) {
                git->Leave();
            }
        }
    } leaveGit{git_.get()};
    if (git_) {
        git_->Enter(name, ignoredFolder, hasIgnoreFile);
        std::erase_if(folder.entries, [&](Entry& entry) {
            return git_->LeftOut(folder.name(entry), entry.length,
                                 entry.type == EntryType::Directory, entry.ignoredFolder);
        });
    }
    if (needStat_) {
        for (Entry& entry : folder.entries) {
            struct stat info {};
            if (!entry.statDone &&
                ::fstatat(fd, folder.name(entry), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.size = info.st_size;
                entry.seconds = info.st_mtim.tv_sec;
                entry.nanoseconds = info.st_mtim.tv_nsec;
            }
        }
    }
    const bool sorted = options_.sort != SortKey::None || options_.reverse || options_.dirsFirst;
    if (sorted) {
        sort(folder);
    }
    const std::size_t count = folder.entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (stopNow()) {
            return;
        }
        const Entry& entry = folder.entries[sorted ? folder.order[i] : i];
        const std::string_view entryName(folder.name(entry), entry.length);
        addLine(entryName, depth, entry.type);
        if (entry.type != EntryType::Directory) {
            ++out_.files;
            continue;
        }
        ++out_.directories;
        if (depth < maxDepth_ && !onOtherDevice(fd, folder.name(entry))) {
            enter(fd, entry, entryName, depth + 1);
        }
    }
}

// Reads the whole folder, keeping the entries that are not left out. False
// when the walk is to stop.
bool Walker::read(int fd, Folder& folder, bool& hasIgnoreFile) {
    folder.entries.clear();
    folder.names.clear();
    for (;;) {
        if (stopNow()) {
            return false;
        }
        const ssize_t got = ::getdents64(fd, buffer_.get(), kReadSize);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            // What was read before stays listed; the folder is reported.
            fail(errno);
            return true;
        }
        for (std::size_t pos = 0; pos < static_cast<std::size_t>(got);) {
            const auto* dirent = reinterpret_cast<const dirent64*>(buffer_.get() + pos);
            pos += dirent->d_reclen;
            const char* name = dirent->d_name;
            const std::size_t length = std::strlen(name);
            if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))) {
                continue;
            }
            hasIgnoreFile = hasIgnoreFile || std::string_view(name, length) == ".gitignore";
            Entry entry;
            unsigned char type = dirent->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN && ::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                // The file system does not give types in its directory reads.
                type = static_cast<unsigned char>(IFTODT(info.st_mode));
                entry.statDone = true;
                entry.size = info.st_size;
                entry.seconds = info.st_mtim.tv_sec;
                entry.nanoseconds = info.st_mtim.tv_nsec;
            }
            entry.type = TypeOf(type);
            const bool directory = entry.type == EntryType::Directory;
            if (leftOutByName(name, length, directory) ||
                (!directory &&
                 !AcceptedByFilter({name, length}, extensions_, options_.extensionsIgnoreCase))) {
                continue;
            }
            entry.name = static_cast<std::uint32_t>(folder.names.size());
            entry.length = static_cast<std::uint32_t>(length);
            folder.names.append(name, length + 1);  // with its NUL
            folder.entries.push_back(entry);
        }
    }
}

bool Walker::leftOutByName(const char* name, std::size_t length, bool directory) const {
    if (options_.noHidden && name[0] == '.') {
        return true;
    }
    return std::any_of(patterns_.begin(), patterns_.end(), [&](const Pattern& pattern) {
        return pattern.Matches(name, length, directory);
    });
}

void Walker::sort(Folder& folder) const {
    std::vector<std::uint32_t>& order = folder.order;
    order.resize(folder.entries.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto isFolder = [&](std::uint32_t i) {
        return folder.entries[i].type == EntryType::Directory;
    };
    if (options_.sort == SortKey::None) {
        if (options_.reverse) {
            std::reverse(order.begin(), order.end());
        }
    } else {
        std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
            const int c = compare(folder, folder.entries[a], folder.entries[b]);
            return options_.reverse ? c > 0 : c < 0;
        });
    }
    if (options_.dirsFirst) {
        std::stable_partition(order.begin(), order.end(), isFolder);
    }
}

// Orders two entries of a folder by the sort key, then by name.
int Walker::compare(const Folder& folder, const Entry& a, const Entry& b) const {
    const char* nameA = folder.name(a);
    const char* nameB = folder.name(b);
    const auto descending = [](std::int64_t x, std::int64_t y) { return x > y ? -1 : x < y; };
    int c = 0;
    switch (options_.sort) {
        case SortKey::Version:
            c = ::strverscmp(nameA, nameB);
            break;
        case SortKey::Size:
            c = descending(a.size, b.size);
            break;
        case SortKey::MTime:
            c = a.seconds != b.seconds ? descending(a.seconds, b.seconds)
                                       : descending(a.nanoseconds, b.nanoseconds);
            break;
        case SortKey::None:
        case SortKey::Name:
            break;
    }
    if (c == 0) {
        c = ::strcoll(nameA, nameB);
    }
    // Names that collate alike still get one order.
    return c != 0 ? c : std::strcmp(nameA, nameB);
}

bool Walker::onOtherDevice(int fd, const char* name) const {
    struct stat info {};
    return options_.oneFileSystem &&
           ::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0 &&
           info.st_dev != device_;
}

void Walker::enter(int fd, const Entry& entry, std::string_view name, unsigned int depth) {
    // Always one separator, even after a folder given with one at its end
    // ("//sub" below "/"), which the system takes as one.
    const std::size_t mark = path_.size();
    path_ += kSeparator;
    path_ += name;
    const Fd folder(platform::OpenSubFolder(fd, name.data()));  // the name is NUL-terminated
    if (!folder.valid()) {
        fail(errno);
    } else {
        if (options_.control != nullptr) {
            options_.control->AddFolder();
        }
        walkFolder(folder.get(), depth, name, entry.ignoredFolder);
    }
    path_.resize(mark);
}

void Walker::addLine(std::string_view name, unsigned int depth, EntryType type) {
    // The depth never exceeds the clamped depth, so the indent is a prefix of kTabs.
    static constexpr std::string_view kTabs =
        "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    static_assert(kTabs.size() == MAX_SEARCH_DEPTH);
    const bool directory = type == EntryType::Directory;
    const bool unshowable = NeedsShowing(name, directory);
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
    out_.types.push_back(type);
    if (options_.control != nullptr) {
        options_.control->AddEntries(1);
    }
    if (unshowable) {
        out_.realNames.emplace_back(index, CString(name));
    }
}

}  // namespace

void Walk(const char* path, std::string_view extensions, const WalkOptions& options,
          WalkOutput& out) {
    Walker(extensions, options, out).Run(path);
}

}  // namespace morvash::detail
