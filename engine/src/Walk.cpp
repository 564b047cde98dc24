#include "Walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <langinfo.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <queue>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "ExtensionFilter.h"
#include "Fd.h"
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
// Folders read at once when the options leave it to the walk. Reading a
// folder mostly waits: for the disk on a cold cache, for the server on a
// network file system. Sixteen readers keep a disk's queue and a network's
// round trips busy; more win nothing measurable and cost memory.
constexpr unsigned int kDefaultThreads = 16;
// Entries that the readers may hold, read, before the listing takes them: a
// bound on the memory that reading ahead costs (some 60 bytes an entry).
constexpr std::size_t kAheadEntries = 1 << 15;
constexpr std::size_t kSpareFolders = 64;
// Read folders kept open at once for their subfolders' readers, at most a
// quarter of the descriptors the process may open; the others' subfolders are
// opened by their path below the walked folder.
constexpr unsigned int kKeptFolders = 256;
// A file's details that take longer than this to look up came from the disk
// (or the network); from memory they take a few microseconds.
constexpr std::chrono::microseconds kColdLookup{200};
// Once this many folders in a row have been found in memory, only one folder
// in kProbeEvery is probed: on a warm cache the probe is wasted work.
constexpr unsigned int kWarmStreak = 64;
constexpr unsigned int kProbeEvery = 16;

unsigned int KeptLimit() noexcept {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 0;
    }
    return static_cast<unsigned int>(std::min<rlim_t>(kKeptFolders, limit.rlim_cur / 4));
}

// One entry of a folder as read.
struct Entry {
    std::uint32_t name = 0;    // offset of its NUL-terminated name in Folder::names
    std::uint32_t length = 0;  // of the name
    EntryType type = EntryType::File;
    bool enter = false;          // a folder that the walk enters (depth, device)
    bool leftOut = false;        // git leaves it out
    bool ignoredFolder = false;  // git ignores it; entered for its tracked files
    bool statDone = false;
    std::int64_t size = 0;
    std::int64_t seconds = 0;  // last-write time
    std::int64_t nanoseconds = 0;
};

// A folder's entries, read whole, then put in the listing's order.
struct Folder {
    std::vector<Entry> entries;
    std::string names;
    std::vector<std::uint32_t> order;  // the listing's order, when sorted
    bool sorted = false;
    bool hasIgnoreFile = false;  // it holds a ".gitignore"
    int error = 0;               // of a read that failed part-way

    const char* name(const Entry& entry) const { return names.data() + entry.name; }
    // The entry at position `i` of the listing's order.
    Entry& at(std::size_t i) { return entries[sorted ? order[i] : i]; }
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

// How each folder of one walk is read and ordered: the options and what was
// made of them. Only read while the walk runs, so any thread may use it.
class Reader {
  public:
    Reader(std::string_view extensions, const WalkOptions& options)
        : options_(options),
          extensions_(extensions),
          maxDepth_(std::min<unsigned int>(options.maxDepth, MAX_SEARCH_DEPTH)),
          needStat_(options.sort == SortKey::Size || options.sort == SortKey::MTime),
          sorted_(options.sort != SortKey::None || options.reverse || options.dirsFirst) {
        // Comparing bytes is comparing characters where a character's bytes
        // never look like another's: in UTF-8 and in single-byte code pages.
        const bool literalForms =
            MB_CUR_MAX == 1 || std::strcmp(::nl_langinfo(CODESET), "UTF-8") == 0;
        for (const std::string& text : options.exclude) {
            patterns_.emplace_back(text, literalForms);
        }
    }

    /// Takes the walked folder's device, for oneFileSystem.
    void SetDevice(int fd) {
        struct stat info {};
        if (options_.oneFileSystem && ::fstat(fd, &info) == 0) {
            device_ = info.st_dev;
        }
    }

    /// Reads the folder open on `fd` whole into `folder`, keeping the entries
    /// that are not left out by name or extension, and puts them in the
    /// listing's order, marking the folders to enter below `depth`. False when
    /// the walk is to stop.
    bool Read(int fd, unsigned int depth, Folder& folder, char* buffer) const;

    bool StopRequested() const {
        return options_.control != nullptr && options_.control->StopRequested();
    }

  private:
    bool leftOutByName(const char* name, std::size_t length, bool directory) const;
    void sort(Folder& folder) const;
    int compare(const Folder& folder, const Entry& a, const Entry& b) const;
    bool onOtherDevice(int fd, const char* name) const;

    const WalkOptions& options_;
    std::string_view extensions_;
    unsigned int maxDepth_;
    bool needStat_;
    bool sorted_;
    std::vector<Pattern> patterns_;
    dev_t device_ = 0;  // the walked folder's
};

bool Reader::Read(int fd, unsigned int depth, Folder& folder, char* buffer) const {
    folder.entries.clear();
    folder.names.clear();
    folder.hasIgnoreFile = false;
    folder.error = 0;
    for (bool more = true; more;) {
        if (StopRequested()) {
            return false;
        }
        const ssize_t got = ::getdents64(fd, buffer, kReadSize);
        if (got < 0) {
            // What was read before stays listed; the folder is reported.
            folder.error = errno;
        }
        more = got > 0;
        if (more) {
            // A record takes at least 24 bytes: one allocation per read at most.
            const auto bytes = static_cast<std::size_t>(got);
            folder.names.reserve(folder.names.size() + bytes);
            folder.entries.reserve(folder.entries.size() + bytes / 24);
        }
        for (std::size_t pos = 0; pos < static_cast<std::size_t>(std::max<ssize_t>(got, 0));) {
            const auto* dirent = reinterpret_cast<const dirent64*>(buffer + pos);
            pos += dirent->d_reclen;
            const char* name = dirent->d_name;
            const std::size_t length = std::strlen(name);
            if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))) {
                continue;
            }
            folder.hasIgnoreFile =
                folder.hasIgnoreFile || std::string_view(name, length) == ".gitignore";
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
    for (Entry& entry : folder.entries) {
        struct stat info {};
        if (needStat_ && !entry.statDone &&
            ::fstatat(fd, folder.name(entry), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            entry.statDone = true;
            entry.size = info.st_size;
            entry.seconds = info.st_mtim.tv_sec;
            entry.nanoseconds = info.st_mtim.tv_nsec;
        }
        entry.enter = entry.type == EntryType::Directory && depth < maxDepth_ &&
                      !onOtherDevice(fd, folder.name(entry));
    }
    folder.sorted = sorted_;
    if (sorted_) {
        sort(folder);
    }
    return true;
}

bool Reader::leftOutByName(const char* name, std::size_t length, bool directory) const {
    if (options_.noHidden && name[0] == '.') {
        return true;
    }
    return std::any_of(patterns_.begin(), patterns_.end(), [&](const Pattern& pattern) {
        return pattern.Matches(name, length, directory);
    });
}

void Reader::sort(Folder& folder) const {
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
int Reader::compare(const Folder& folder, const Entry& a, const Entry& b) const {
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

bool Reader::onOtherDevice(int fd, const char* name) const {
    struct stat info {};
    return options_.oneFileSystem &&
           ::fstatat(fd, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0 &&
           info.st_dev != device_;
}

// The listing side of a walk, on the calling thread: the lines in order, the
// counters, the folders that could not be read, git's rules, the stop.
class Lister {
  public:
    Lister(const WalkOptions& options, WalkOutput& out) : options_(options), out_(out) {}

    /// Starts at the walked folder, open on `fd`; false when it cannot be.
    bool Start(const char* path, Fd& fd, Reader& reader) {
        if (path == nullptr || *path == '\0') {
            return false;
        }
        fd.reset(platform::OpenFolder(path));
        if (!fd.valid()) {
            Fail(path, errno);
            return false;
        }
        reader.SetDevice(fd.get());
        if (options_.gitignore) {
            git_ = GitIgnore::ForFolder(path);
        }
        Entered();
        return true;
    }

    bool Git() const noexcept { return git_ != nullptr; }
    /// Enters the folder `name` (empty for the walked one) in git's rules and
    /// marks the entries git leaves out; Leave() ends it.
    void EnterGit(std::string_view name, bool ignoredFolder, Folder& folder) {
        git_->Enter(name, ignoredFolder, folder.hasIgnoreFile);
        for (Entry& entry : folder.entries) {
            entry.leftOut = git_->LeftOut(folder.name(entry), entry.length,
                                          entry.type == EntryType::Directory, entry.ignoredFolder);
        }
    }
    void LeaveGit() {
        if (git_) {
            git_->Leave();
        }
    }

    void Fail(std::string_view path, int error) {
        out_.errors.push_back({std::string(path), error});
    }
    void Entered() {
        if (options_.control != nullptr) {
            options_.control->AddFolder();
        }
    }
    bool StopNow() {
        if (options_.control != nullptr && options_.control->StopRequested()) {
            out_.stopped = true;
        }
        return out_.stopped;
    }
    void Stopped() { out_.stopped = true; }

    /// Lists an entry of `folder` at `depth`.
    void Add(const Folder& folder, const Entry& entry, unsigned int depth) {
        addLine({folder.name(entry), entry.length}, depth, entry.type);
        if (entry.type == EntryType::Directory) {
            ++out_.directories;
        } else {
            ++out_.files;
        }
    }

  private:
    void addLine(std::string_view name, unsigned int depth, EntryType type);

    const WalkOptions& options_;
    WalkOutput& out_;
    std::unique_ptr<GitIgnore> git_;
};

void Lister::addLine(std::string_view name, unsigned int depth, EntryType type) {
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

// The walk on the calling thread alone: each folder read, then listed, each
// subfolder walked as its line is written, opened relative to its parent.
class Walker {
  public:
    Walker(std::string_view extensions, const WalkOptions& options, WalkOutput& out)
        : reader_(extensions, options), lister_(options, out) {}

    void Run(const char* path) {
        Fd root;
        if (lister_.Start(path, root, reader_)) {
            path_ = path;
            walkFolder(root.get(), 0, {}, false);
        }
    }

  private:
    void walkFolder(int fd, unsigned int depth, std::string_view name, bool ignoredFolder);

    Reader reader_;
    Lister lister_;
    std::string path_;  // the folder being read, as built
    std::array<Folder, kLevels> folders_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kReadSize);
};

void Walker::walkFolder(int fd, unsigned int depth, std::string_view name, bool ignoredFolder) {
    Folder& folder = folders_[depth];
    if (!reader_.Read(fd, depth, folder, buffer_.get())) {
        lister_.Stopped();
        return;
    }
    if (folder.error != 0) {
        lister_.Fail(path_, folder.error);
    }
    struct LeaveGit {
        Lister& lister;
        ~LeaveGit() { lister.LeaveGit(); }
    } leaveGit{lister_};
    if (lister_.Git()) {
        lister_.EnterGit(name, ignoredFolder, folder);
    }
    const std::size_t count = folder.entries.size();
    for (std::size_t i = 0; i < count && !lister_.StopNow(); ++i) {
        const Entry& entry = folder.at(i);
        if (entry.leftOut) {
            continue;
        }
        lister_.Add(folder, entry, depth);
        if (!entry.enter) {
            continue;
        }
        // Always one separator, even after a folder given with one at its end
        // ("//sub" below "/"), which the system takes as one.
        const std::size_t mark = path_.size();
        const std::string_view sub(folder.name(entry), entry.length);
        path_ += kSeparator;
        path_ += sub;
        const Fd subFolder(platform::OpenSubFolder(fd, sub.data()));  // NUL-terminated
        if (!subFolder.valid()) {
            lister_.Fail(path_, errno);
        } else {
            lister_.Entered();
            walkFolder(subFolder.get(), depth + 1, sub, entry.ignoredFolder);
        }
        path_.resize(mark);
    }
}

// A read folder kept open while its subfolders wait to be opened below it:
// one name to resolve rather than the whole path from the walked folder.
// Closed when the last of them has been opened.
class KeptFolder {
  public:
    KeptFolder(int fd, std::atomic<unsigned int>& count) noexcept : fd_(fd), count_(count) {}
    ~KeptFolder() { count_.fetch_sub(1, std::memory_order_relaxed); }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;
    int get() const noexcept { return fd_.get(); }

  private:
    Fd fd_;
    std::atomic<unsigned int>& count_;
};

// One folder of a parallel walk: where it lies, what its reader found.
struct Node {
    std::string path;                    // as built: the walked folder, then "/" and each name
    std::vector<std::uint32_t> key;      // its line's position in each folder above it
    unsigned int depth = 0;              // of its entries
    bool ignoredFolder = false;          // git ignores it; entered for its tracked files
    std::shared_ptr<KeptFolder> parent;  // its folder, when kept open for it
    // Set by its reader before `ready`; read by the listing after.
    Folder folder;
    int openError = 0;
    bool stopped = false;
    std::exception_ptr failure;
    std::vector<std::unique_ptr<Node>> children;  // the folders it enters, in listing order
    // Guarded by the walk's mutex.
    bool taken = false;
    bool ready = false;

    std::string_view name() const {
        return key.empty() ? std::string_view()
                           : std::string_view(path).substr(path.rfind('/') + 1);
    }
};

// Which folder the listing needs sooner: the one whose line comes first,
// depth first, so the queue's top is the next folder the listing enters.
struct ListedLater {
    bool operator()(const Node* a, const Node* b) const {
        return std::lexicographical_compare(b->key.begin(), b->key.end(), a->key.begin(),
                                            a->key.end());
    }
};

// The walk with several readers. The calling thread writes the listing, in
// the one-threaded walk's order; readers on other threads read the folders it
// will enter, ahead of it, the next needed first: a folder's subfolders are
// queued as soon as it has been read (after the listing has applied git's
// rules to it, when it follows git, so that a folder git leaves out is never
// opened). Each reader opens its folder below its parent folder, which stays
// open for its subfolders while few folders are kept so (KeptFolder), or else
// by its path below the walked folder, with no symbolic link on the way. The calling thread reads a
// folder itself when it needs one that no reader has taken yet.
class ParallelWalker {
  public:
    ParallelWalker(std::string_view extensions, const WalkOptions& options, WalkOutput& out,
                   unsigned int threads)
        : reader_(extensions, options),
          lister_(options, out),
          workers_(threads - 1),
          keptLimit_(KeptLimit()) {}

    void Run(const char* path);

  private:
    // Ends the readers before the folders they read go.
    struct Join {
        ParallelWalker& walk;
        ~Join() { walk.finish(); }
    };

    void work();
    void read(Node& node, char* buffer);
    // Makes the nodes of the subfolders `node` enters; `open`, when given, is
    // the folder's descriptor, which it may take to keep for them.
    void makeChildren(Node& node, Fd* open);
    void warm(int fd, const Folder& folder);
    // Under the lock: `node` is read; queue its subfolders.
    void done(Node& node);
    // Under the lock: queues the subfolders of `node` for the readers.
    void queue(Node& node);
    bool mayTake() const { return !pending_.empty() && ahead_ < kAheadEntries; }
    void await(Node& node);
    void list(Node& node);
    void finish();

    Reader reader_;
    Lister lister_;
    unsigned int workers_;
    Fd root_;
    std::size_t below_ = 0;  // where the path below the walked folder begins

    std::mutex mutex_;
    std::condition_variable work_;   // for readers: a folder to read
    std::condition_variable ready_;  // for the listing: its folder is read
    std::priority_queue<Node*, std::vector<Node*>, ListedLater> pending_;
    const Node* awaited_ = nullptr;             // the folder the listing waits for
    std::size_t ahead_ = 0;                     // entries read that the listing has not taken
    unsigned int idle_ = 0;                     // readers waiting for work
    bool full_ = false;                         // a reader waits for the listing to take entries
    std::atomic<unsigned int> warmFolders_{0};  // folders found in memory in a row
    std::atomic<unsigned int> keptFolders_{0};  // read folders kept open for their subfolders
    const unsigned int keptLimit_;
    bool ending_ = false;
    std::vector<std::thread> threads_;
    // Folders the listing is done with, kept with their capacity for readers
    // to fill again: fewer allocations, and none freed by another thread.
    std::vector<Folder> spare_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kReadSize);
};

void ParallelWalker::Run(const char* path) {
    if (!lister_.Start(path, root_, reader_)) {
        return;
    }
    below_ = std::strlen(path) + 1;
    Node top;
    top.path = path;
    const Join join{*this};
    top.taken = true;
    read(top, buffer_.get());
    {
        const std::lock_guard lock(mutex_);
        done(top);
    }
    await(top);
    list(top);
}

void ParallelWalker::read(Node& node, char* buffer) {
    try {
        const bool top = node.key.empty();
        Fd own;
        if (node.parent) {
            // Its name ends its path, so a NUL follows it.
            own.reset(platform::OpenSubFolder(node.parent->get(), node.name().data()));
        } else if (!top) {
            own.reset(platform::OpenFolderBelow(root_.get(), node.path.substr(below_)));
        }
        const int openError = errno;
        node.parent.reset();  // may close it, which may set errno
        if (!top && !own.valid()) {
            node.openError = openError;
            return;
        }
        const int fd = top ? root_.get() : own.get();
        node.stopped = !reader_.Read(fd, node.depth, node.folder, buffer);
        if (!node.stopped) {
            warm(fd, node.folder);
        }
        if (!lister_.Git()) {
            makeChildren(node, top ? nullptr : &own);
        }
    } catch (...) {
        node.failure = std::current_exception();
    }
}

void ParallelWalker::warm(int fd, const Folder& folder) {
    // Files looked up soon after the walk: when the first one's details come
    // from the disk (or the network), so will the others'. Load them all now,
    // while the other readers wait for the disk too, rather than one by one as
    // each file is looked up after the walk. Nothing read here is kept.
    // Folders in memory since the last cold one: once there are many, most
    // folders go unprobed. A cold probe starts the count again.
    const unsigned int warmSoFar = warmFolders_.fetch_add(1, std::memory_order_relaxed);
    if (warmSoFar >= kWarmStreak && warmSoFar % kProbeEvery != 0) {
        return;
    }
    bool cold = false;
    for (const Entry& entry : folder.entries) {
        if (entry.type == EntryType::Directory || entry.statDone) {
            continue;
        }
        struct stat info {};
        if (cold) {
            ::fstatat(fd, folder.name(entry), &info, AT_SYMLINK_NOFOLLOW);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        ::fstatat(fd, folder.name(entry), &info, AT_SYMLINK_NOFOLLOW);
        if (std::chrono::steady_clock::now() - start < kColdLookup) {
            return;
        }
        cold = true;
        warmFolders_.store(0, std::memory_order_relaxed);
    }
}

void ParallelWalker::makeChildren(Node& node, Fd* open) {
    if (node.stopped) {
        return;
    }
    std::shared_ptr<KeptFolder> kept;
    const std::size_t count = node.folder.entries.size();
    for (std::size_t i = 0; i < count; ++i) {
        const Entry& entry = node.folder.at(i);
        if (!entry.enter || entry.leftOut) {
            continue;
        }
        // The first subfolder decides: the folder is kept for them while
        // fewer than keptLimit_ are, so that descriptors stay few.
        if (open != nullptr && open->valid()) {
            if (keptFolders_.fetch_add(1, std::memory_order_relaxed) < keptLimit_) {
                kept = std::make_shared<KeptFolder>(open->release(), keptFolders_);
            } else {
                keptFolders_.fetch_sub(1, std::memory_order_relaxed);
            }
            open = nullptr;
        }
        auto child = std::make_unique<Node>();
        child->parent = kept;
        child->path.reserve(node.path.size() + 1 + entry.length);
        child->path.append(node.path)
            .append(1, kSeparator)
            .append(node.folder.name(entry), entry.length);
        child->key.reserve(node.key.size() + 1);
        child->key = node.key;
        child->key.push_back(static_cast<std::uint32_t>(i));
        child->depth = node.depth + 1;
        child->ignoredFolder = entry.ignoredFolder;
        node.children.push_back(std::move(child));
    }
}

void ParallelWalker::done(Node& node) {
    node.ready = true;
    ahead_ += node.folder.entries.size();
    queue(node);
    if (&node == awaited_) {
        ready_.notify_one();
    }
}

void ParallelWalker::queue(Node& node) {
    for (const std::unique_ptr<Node>& child : node.children) {
        pending_.push(child.get());
    }
    if (!node.children.empty() && threads_.empty() && !ending_) {
        // The first subfolders to read: start the readers.
        for (unsigned int k = 0; k < workers_; ++k) {
            try {
                threads_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;  // fewer readers still read every folder
            }
        }
    }
    if (ahead_ < kAheadEntries) {
        for (std::size_t k = 0; k < std::min<std::size_t>(node.children.size(), idle_); ++k) {
            work_.notify_one();
        }
    }
}

void ParallelWalker::work() {
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadSize);
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        work_.wait(lock, [this] {
            full_ = full_ || (!pending_.empty() && ahead_ >= kAheadEntries);
            return ending_ || mayTake();
        });
        --idle_;
        if (ending_) {
            return;
        }
        Node& node = *pending_.top();
        pending_.pop();
        node.taken = true;
        if (!spare_.empty()) {
            node.folder = std::move(spare_.back());
            spare_.pop_back();
        }
        lock.unlock();
        read(node, buffer.get());
        lock.lock();
        done(node);
    }
}

void ParallelWalker::await(Node& node) {
    std::unique_lock lock(mutex_);
    while (!node.ready) {
        // Read it here when no reader has it yet; while a reader has it, read
        // the next folder needed rather than wait.
        Node* next = !node.taken                                   ? &node
                     : !pending_.empty() && ahead_ < kAheadEntries ? pending_.top()
                                                                   : nullptr;
        if (next == nullptr) {
            awaited_ = &node;
            ready_.wait(lock, [&node] { return node.ready; });
            awaited_ = nullptr;
            break;
        }
        // The listing needs the folders in order, so one it needs and no
        // reader has is the first in the queue.
        pending_.pop();
        next->taken = true;
        lock.unlock();
        read(*next, buffer_.get());
        lock.lock();
        done(*next);
    }
    ahead_ -= node.folder.entries.size();
    if (full_ && ahead_ < kAheadEntries / 2) {
        // Readers held back by the bound go on once there is room for many
        // folders, not for each folder taken.
        full_ = false;
        work_.notify_all();
    }
    lock.unlock();
    if (node.failure) {
        std::rethrow_exception(node.failure);
    }
}

void ParallelWalker::list(Node& node) {
    if (node.stopped) {
        lister_.Stopped();
        return;
    }
    if (node.folder.error != 0) {
        lister_.Fail(node.path, node.folder.error);
    }
    struct LeaveGit {
        Lister& lister;
        ~LeaveGit() { lister.LeaveGit(); }
    } leaveGit{lister_};
    if (lister_.Git()) {
        lister_.EnterGit(node.name(), node.ignoredFolder, node.folder);
        makeChildren(node, nullptr);
        const std::lock_guard lock(mutex_);
        queue(node);
    }
    std::size_t next = 0;
    const std::size_t count = node.folder.entries.size();
    for (std::size_t i = 0; i < count && !lister_.StopNow(); ++i) {
        const Entry& entry = node.folder.at(i);
        if (entry.leftOut) {
            continue;
        }
        lister_.Add(node.folder, entry, node.depth);
        if (!entry.enter) {
            continue;
        }
        Node& child = *node.children[next];
        await(child);
        if (child.openError != 0) {
            lister_.Fail(child.path, child.openError);
        } else {
            lister_.Entered();
            list(child);
        }
        if (!lister_.StopNow()) {
            // Every folder below it has been listed: none is queued or being read.
            const std::lock_guard lock(mutex_);
            if (spare_.size() < kSpareFolders) {
                spare_.push_back(std::move(child.folder));
            }
            node.children[next].reset();
        }
        ++next;
    }
}

void ParallelWalker::finish() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

}  // namespace

void Walk(const char* path, std::string_view extensions, const WalkOptions& options,
          WalkOutput& out) {
    const unsigned int threads = options.threads == 0 ? kDefaultThreads : options.threads;
    if (threads == 1) {
        Walker(extensions, options, out).Run(path);
    } else {
        ParallelWalker(extensions, options, out, threads).Run(path);
    }
}

}  // namespace morvash::detail

unsigned int morvash::DefaultWalkThreads() noexcept {
    return morvash::detail::kDefaultThreads;
}
