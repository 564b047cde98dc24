#include "morvash/platform/FileFind.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PathOpen.h"
#include "morvash/platform/MbcsSearch.h"

namespace {

using platform::posix::Component;
using platform::posix::Fd;
using platform::posix::kDirectoryFlags;
using platform::posix::OpenBase;
using platform::posix::StatExact;

// Buffers for getdents64, kept for reuse. A walk starts and ends one
// enumeration per folder; a fresh block each time costs more than reading a
// small folder. At most one buffer per open enumeration is out at a time.
class BufferPool {
  public:
    static constexpr std::size_t kSize = 32 * 1024;

    std::unique_ptr<char[]> take() {
        if (free_.empty()) {
            return std::make_unique_for_overwrite<char[]>(kSize);
        }
        std::unique_ptr<char[]> buffer = std::move(free_.back());
        free_.pop_back();
        return buffer;
    }
    void give(std::unique_ptr<char[]> buffer) {
        if (buffer && free_.size() < kKept) {
            free_.push_back(std::move(buffer));
        }
    }

  private:
    static constexpr std::size_t kKept = 64;  // more than the deepest walk keeps open
    std::vector<std::unique_ptr<char[]>> free_;
};

thread_local BufferPool gBuffers;

// The directory read's type code (DT_DIR, DT_LNK, ...) for a file mode.
unsigned char TypeOf(mode_t mode) noexcept {
    return static_cast<unsigned char>(IFTODT(mode));
}

void Fill(const struct stat& info, platform::EntryDetails& details) noexcept {
    details.directory = S_ISDIR(info.st_mode);
    details.length = info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    details.lastWrite = platform::FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

}  // namespace

struct CFileFind::State {
    // The folder being enumerated (AT_FDCWD after an exact lookup).
    Fd folder;
    std::unique_ptr<char[]> buffer;
    std::size_t pos = 0;
    std::size_t end = 0;
    // The current entry.
    std::string name;
    unsigned char type = DT_UNKNOWN;
    mutable bool statDone = false;
    mutable bool statOk = false;
    mutable struct stat info {};
    // The entry after it, read ahead so that a step can tell whether one follows.
    std::string nextName;
    unsigned char nextType = DT_UNKNOWN;
    bool hasNext = false;

    ~State() { gBuffers.give(std::move(buffer)); }

    bool enumerating() const noexcept { return static_cast<bool>(buffer); }

    // Starts enumerating the folder open on `fd` and reads its first entry;
    // null when it is not open or holds no entry at all.
    static std::unique_ptr<State> enumerate(Fd fd) {
        if (!fd.valid()) {
            return nullptr;
        }
        auto state = std::make_unique<State>();
        state->folder = std::move(fd);
        state->buffer = gBuffers.take();
        state->readAhead();
        return state->hasNext ? std::move(state) : nullptr;
    }

    // Reads the next entry of the folder into the read-ahead slot.
    void readAhead() {
        hasNext = false;
        if (pos >= end) {
            // A read that fails part-way ends the enumeration; it is not fatal.
            const ssize_t got = ::getdents64(folder.get(), buffer.get(), BufferPool::kSize);
            if (got <= 0) {
                return;
            }
            pos = 0;
            end = static_cast<std::size_t>(got);
        }
        const auto* entry = reinterpret_cast<const dirent64*>(buffer.get() + pos);
        pos += entry->d_reclen;
        nextName.assign(entry->d_name);
        nextType = entry->d_type;
        if (nextType == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(folder.get(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                nextType = TypeOf(st.st_mode);
            }
        }
        hasNext = true;
    }

    const struct stat* stat() const {
        if (!statDone) {
            statDone = true;
            statOk = enumerating() &&
                     ::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
        }
        return statOk ? &info : nullptr;
    }
};

CFileFind::CFileFind() = default;

CFileFind::~CFileFind() = default;

void CFileFind::Close() noexcept {
    state_.reset();
}

BOOL CFileFind::FindFile(const char* name, Match match) {
    Close();
    if (name == nullptr || *name == '\0') {
        return FALSE;
    }
    const std::string_view text(name);

    std::string_view folder;
    bool enumerate = false;
    if (match == Match::Pattern) {
        for (std::string_view wildcard : {std::string_view("*.*"), std::string_view("*")}) {
            if (text == wildcard) {
                folder = ".";
                enumerate = true;
                break;
            }
            if (text.size() > wildcard.size() && text.ends_with(wildcard) &&
                text[text.size() - wildcard.size() - 1] == '/') {
                folder = text.substr(0, text.size() - wildcard.size() - 1);
                if (folder.empty()) {
                    folder = "/";
                }
                enumerate = true;
                break;
            }
        }
    }

    if (enumerate) {
        state_ = State::enumerate(Fd(platform::posix::OpenFolder(folder)));
        return state_ ? TRUE : FALSE;
    }

    // One path, looked up as it stands.
    auto state = std::make_unique<State>();
    if (!StatExact(text, state->info)) {
        return FALSE;
    }
    const std::size_t slash = text.rfind('/');
    const std::string_view leaf = slash == std::string_view::npos ? text : text.substr(slash + 1);
    state->statDone = true;
    state->statOk = true;
    state->nextName.assign(leaf);
    state->nextType = TypeOf(state->info.st_mode);
    state->hasNext = true;
    state_ = std::move(state);
    return TRUE;
}

BOOL CFileFind::FindSubFolder(const CFileFind& parent, const char* name) {
    Close();
    if (!parent.state_ || !parent.state_->enumerating() || name == nullptr || *name == '\0') {
        return FALSE;
    }
    state_ = State::enumerate(
        Fd(::openat(parent.state_->folder.get(), name, kDirectoryFlags | O_NOFOLLOW)));
    return state_ ? TRUE : FALSE;
}

BOOL CFileFind::FindNextFile() {
    if (!state_ || !state_->hasNext) {
        return FALSE;
    }
    State& s = *state_;
    s.name.swap(s.nextName);
    s.type = s.nextType;
    if (s.enumerating()) {
        s.statDone = false;
        s.readAhead();
    } else {
        s.hasNext = false;  // an exact lookup has one entry, whose stat is already read
    }
    return s.hasNext ? TRUE : FALSE;
}

CString CFileFind::GetFileName() const {
    return CString(FileName());
}

std::string_view CFileFind::FileName() const noexcept {
    return state_ ? std::string_view(state_->name) : std::string_view();
}

CString CFileFind::GetFileTitle() const {
    return CString(platform::FileTitle(FileName()));
}

std::string_view platform::FileTitle(std::string_view name) noexcept {
    const int dot = ReverseFindChar(name, '.');
    return dot < 0 ? name : name.substr(0, static_cast<std::size_t>(dot));
}

BOOL CFileFind::IsDots() const noexcept {
    const std::string_view name = FileName();
    return (name == "." || name == "..") ? TRUE : FALSE;
}

BOOL CFileFind::MatchesMask(DWORD mask) const noexcept {
    if (!state_) {
        return FALSE;
    }
    const DWORD attributes = state_->type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : 0;
    return (attributes & mask) != 0 ? TRUE : FALSE;
}

std::uint64_t CFileFind::GetLength() const {
    const struct stat* info = state_ ? state_->stat() : nullptr;
    return info != nullptr && info->st_size > 0 ? static_cast<std::uint64_t>(info->st_size) : 0;
}

BOOL CFileFind::GetLastWriteTime(FILETIME* time) const {
    const struct stat* info = state_ ? state_->stat() : nullptr;
    if (info == nullptr || time == nullptr) {
        return FALSE;
    }
    *time = platform::FileTimeFromUnix(info->st_mtim.tv_sec, info->st_mtim.tv_nsec);
    return TRUE;
}

namespace platform {

bool FindExact(const char* path, EntryDetails& details) {
    struct stat info {};
    if (path == nullptr || !StatExact(path, info)) {
        return false;
    }
    Fill(info, details);
    return true;
}

}  // namespace platform
