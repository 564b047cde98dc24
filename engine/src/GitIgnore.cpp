#include "GitIgnore.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <git2.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace morvash::detail {

namespace {

char Fold(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFolded(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Fold(x) == Fold(y); });
}

// Git matches bytes, not characters: "?" is one byte whatever the locale.
locale_t ByteLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

// Reads a whole file; empty when it cannot be read.
std::string ReadWhole(const std::string& path) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        text.resize(done);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return text;
}

std::string TakeBuffer(git_buf& buffer) {
    std::string text = buffer.ptr != nullptr ? std::string(buffer.ptr, buffer.size) : std::string();
    git_buf_dispose(&buffer);
    buffer = git_buf{};
    return text;
}

std::uint32_t BigEndian32(const char* bytes) noexcept {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

}  // namespace

// Reads the paths of git's index file (format 2, 3 or 4) into `names`, one
// after the other, and `paths`, sorted. Reading them here costs a fraction of
// libgit2's full load, which checks a SHA-1 over the whole file and every
// path. False when the file is missing, damaged or split (its entries then in
// another file): libgit2 reads it then.
bool ReadIndexPaths(const std::string& data, std::string& names,
                    std::vector<std::string_view>& paths) {
    constexpr std::size_t kHeader = 12;
    constexpr std::size_t kChecksum = 20;
    constexpr std::size_t kFixed = 62;  // stat data, object id and flags before the path
    if (data.size() < kHeader + kChecksum || !data.starts_with("DIRC")) {
        return false;
    }
    const std::uint32_t version = BigEndian32(data.data() + 4);
    const std::uint32_t count = BigEndian32(data.data() + 8);
    if (version < 2 || version > 4) {
        return false;
    }
    const std::size_t end = data.size() - kChecksum;
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // of each path in `names`
    spans.reserve(count);
    std::string path;
    std::size_t pos = kHeader;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (pos + kFixed > end) {
            return false;
        }
        const bool extended = version >= 3 && (static_cast<unsigned char>(data[pos + 60]) & 0x40);
        std::size_t at = pos + kFixed + (extended ? 2 : 0);
        std::size_t strip = 0;
        if (version == 4) {
            // The path drops `strip` bytes from the end of the one before,
            // given as git's variable-length number, then adds its own bytes.
            unsigned char byte = 0x80;
            for (bool first = true; (byte & 0x80) != 0 && at < end; first = false) {
                byte = static_cast<unsigned char>(data[at++]);
                strip = first ? (byte & 0x7F) : ((strip + 1) << 7) | (byte & 0x7F);
            }
            if (strip > path.size()) {
                return false;
            }
        }
        const std::size_t nul = data.find('\0', at);
        if (nul >= end) {
            return false;
        }
        path.resize(version == 4 ? path.size() - strip : 0);
        path.append(data, at, nul - at);
        spans.emplace_back(names.size(), path.size());
        names += path;
        // Entries before format 4 are padded with NULs to a multiple of 8 bytes.
        pos = version == 4 ? nul + 1 : pos + ((at - pos + (nul - at) + 8) & ~std::size_t{7});
    }
    for (; pos + 8 <= end; pos += 8 + BigEndian32(data.data() + pos + 4)) {
        if (data.compare(pos, 4, "link") == 0) {
            return false;
        }
    }
    paths.clear();
    paths.reserve(spans.size());
    for (const auto& [start, length] : spans) {
        paths.emplace_back(names.data() + start, length);
    }
    if (!std::is_sorted(paths.begin(), paths.end())) {
        std::sort(paths.begin(), paths.end());
    }
    return true;
}

void IgnoreScreen::Pop() {
    rules_.resize(marks_.back());
    marks_.pop_back();
}

void IgnoreScreen::AddRules(std::string_view text, std::string_view base) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#') {
            continue;
        }
        // Trailing blanks count or not depending on escapes, and a CR may end
        // the line: without them and with "*" after, the rule covers both.
        const std::size_t kept = line.find_last_not_of(" \t\r\\");
        const bool widen = kept + 1 < line.size();
        if (kept == line.npos && line.find('\\') == line.npos) {
            continue;  // a blank line
        }
        line = line.substr(0, kept + 1);
        Rule rule;
        rule.negative = line.starts_with('!');
        if (rule.negative) {
            line.remove_prefix(1);
        }
        rule.foldersOnly = line.ends_with('/');
        while (line.ends_with('/')) {
            line.remove_suffix(1);
        }
        if (line.empty() && !widen) {
            continue;  // an empty pattern matches nothing
        }
        // A rule matches a path only if its last part matches the name (a
        // bracket that holds "/" makes the last part unclear).
        const std::size_t slash = line.rfind('/');
        if (slash != line.npos && line.find('[') < slash) {
            rules_.push_back(std::move(rule));
            continue;
        }
        rule.text = line.substr(slash == line.npos ? 0 : slash + 1);
        if (widen) {
            rule.text += '*';
        }
        const std::string& pattern = rule.text;
        const auto stars =
            static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '*'));
        if (pattern.find_first_of("?[\\") != std::string::npos) {
            rule.kind = Kind::Glob;
        } else if (stars == pattern.size()) {
            rule.kind = Kind::Any;
        } else if (stars == 0) {
            rule.kind = Kind::Exact;
        } else if (stars == 1 && pattern.front() == '*') {
            rule.kind = Kind::Suffix;
            rule.text.erase(0, 1);
        } else if (stars == 1 && pattern.back() == '*') {
            rule.kind = Kind::Prefix;
            rule.text.pop_back();
        } else {
            rule.kind = Kind::Glob;
        }
        // Settled here: a plain rule on names alone, and a rule that names one
        // path below the folder of its file.
        const bool onePath = slash != line.npos && line.find_first_of("*?[\\") == line.npos;
        rule.exact =
            !widen && !ignoreCase_ && (slash == line.npos ? rule.kind != Kind::Glob : onePath);
        if (onePath) {
            rule.path = std::string(base).append(line.substr(line.starts_with('/') ? 1 : 0));
        }
        rules_.push_back(std::move(rule));
    }
}

bool IgnoreScreen::mayMatch(const Rule& rule, const char* name, std::string_view text) {
    const std::string_view literal = rule.text;
    switch (rule.kind) {
        case Kind::Any:
            return true;
        case Kind::Exact:
            return SameFolded(text, literal);
        case Kind::Prefix:
            return text.size() >= literal.size() &&
                   SameFolded(text.substr(0, literal.size()), literal);
        case Kind::Suffix:
            return text.size() >= literal.size() &&
                   SameFolded(text.substr(text.size() - literal.size()), literal);
        case Kind::Glob:
            break;
    }
    const locale_t previous = ::uselocale(ByteLocale());
    const bool match = ::fnmatch(rule.text.c_str(), name, FNM_CASEFOLD) == 0;
    ::uselocale(previous);
    return match;
}

bool IgnoreScreen::matches(const Rule& rule, std::string_view name, std::string_view folder) {
    if (!rule.path.empty()) {
        return rule.path.size() == folder.size() + name.size() && rule.path.starts_with(folder) &&
               rule.path.ends_with(name);
    }
    switch (rule.kind) {
        case Kind::Exact:
            return name == rule.text;
        case Kind::Prefix:
            return name.starts_with(rule.text);
        case Kind::Suffix:
            return name.ends_with(rule.text);
        default:
            return true;
    }
}

Screened IgnoreScreen::Screen(const char* name, std::size_t length, bool directory,
                              std::string_view folder) const {
    const std::string_view text(name, length);
    // The last rule that matches decides: the last of the deepest file first.
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
        if ((rule->foldersOnly && !directory) || !mayMatch(*rule, name, text)) {
            continue;
        }
        if (!rule->exact) {
            return Screened::Ask;
        }
        if (matches(*rule, text, folder)) {
            return rule->negative ? Screened::NotIgnored : Screened::Ignored;
        }
    }
    return Screened::NotIgnored;
}

std::unique_ptr<GitIgnore> GitIgnore::ForFolder(const char* folder) {
    git_libgit2_init();
    std::unique_ptr<GitIgnore> git(new GitIgnore);  // shuts libgit2 down again when dropped
    if (git_repository_open_ext(&git->repo_, folder, 0, nullptr) != 0 ||
        git_repository_workdir(git->repo_) == nullptr) {
        return nullptr;
    }
    git->workdir_ = git_repository_workdir(git->repo_);
    char* real = ::realpath(folder, nullptr);
    if (real == nullptr) {
        return nullptr;
    }
    std::string full = std::string(real) + '/';
    std::free(real);
    if (!full.starts_with(git->workdir_)) {
        return nullptr;
    }
    git->rel_ = full.substr(git->workdir_.size());
    if (git->rel_.starts_with(".git/")) {
        return nullptr;
    }

    // The rules in force everywhere, the weakest first: the user's excludes
    // file (core.excludesFile, else the first git/ignore among the XDG
    // configuration folders), then info/exclude.
    IgnoreScreen& screen = git->screen_;
    screen.Push();
    git_buf buffer = GIT_BUF_INIT;
    std::string excludes;
    git_config* config = nullptr;
    if (git_repository_config_snapshot(&config, git->repo_) == 0) {
        int ignoreCase = 0;
        screen.SetIgnoreCase(git_config_get_bool(&ignoreCase, config, "core.ignorecase") == 0 &&
                             ignoreCase != 0);
        if (git_config_get_path(&buffer, config, "core.excludesfile") == 0) {
            excludes = TakeBuffer(buffer);
        }
        git_config_free(config);
    }
    if (excludes.empty() &&
        git_libgit2_opts(GIT_OPT_GET_SEARCH_PATH, GIT_CONFIG_LEVEL_XDG, &buffer) == 0) {
        const std::string folders = TakeBuffer(buffer);
        for (std::size_t start = 0; start < folders.size() && excludes.empty();) {
            const std::size_t end = std::min(folders.find(':', start), folders.size());
            const std::string file = folders.substr(start, end - start) + "/ignore";
            if (::access(file.c_str(), F_OK) == 0) {
                excludes = file;
            }
            start = end + 1;
        }
    }
    screen.AddRules(ReadWhole(excludes), {});
    if (git_repository_item_path(&buffer, git->repo_, GIT_REPOSITORY_ITEM_INFO) == 0) {
        screen.AddRules(ReadWhole(TakeBuffer(buffer) + "exclude"), {});
    }
    // The .gitignore files above the walked folder, and each folder on the
    // way screened by the rules above it; the walked folder's own file comes
    // with Enter.
    const std::string& rel = git->rel_;
    for (std::size_t end = 0; end < rel.size();) {
        const std::string above = rel.substr(0, end);
        screen.AddRules(ReadWhole(git->workdir_ + above + ".gitignore"), above);
        const std::size_t next = rel.find('/', end) + 1;
        const std::string name = rel.substr(end, next - 1 - end);
        const Screened screened = screen.Screen(name.c_str(), name.size(), true, above);
        git->folderIgnored_ = git->folderIgnored_ || screened == Screened::Ignored ||
                              (screened == Screened::Ask && git->askGit(rel.substr(0, next)));
        end = next;
    }
    return git;
}

GitIgnore::~GitIgnore() {
    git_index_free(index_);
    git_repository_free(repo_);
    git_libgit2_shutdown();
}

void GitIgnore::Enter(std::string_view name, bool ignored, bool hasIgnoreFile) {
    relMarks_.push_back(rel_.size());
    if (!name.empty()) {
        rel_ += name;
        rel_ += '/';
    }
    ignoredLevels_.push_back(relMarks_.size() == 1 ? folderIgnored_ : ignored);
    screen_.Push();
    if (hasIgnoreFile) {
        screen_.AddRules(ReadWhole(workdir_ + rel_ + ".gitignore"), rel_);
    }
}

void GitIgnore::Leave() {
    rel_.resize(relMarks_.back());
    relMarks_.pop_back();
    ignoredLevels_.pop_back();
    screen_.Pop();
}

bool GitIgnore::LeftOut(const char* name, std::size_t length, bool directory, bool& ignoredFolder) {
    const std::string_view text(name, length);
    if (text == ".git") {
        return true;
    }
    // Inside an ignored folder everything untracked is ignored with it.
    bool leftOut = ignoredLevels_.back();
    if (!leftOut) {
        const Screened screened = screen_.Screen(name, length, directory, rel_);
        leftOut = screened == Screened::Ignored ||
                  (screened == Screened::Ask && ignored(text, directory));
    }
    if (!leftOut) {
        return false;
    }
    if (!tracked(text, directory)) {
        return true;
    }
    ignoredFolder = directory;
    return false;
}

// Asks libgit2 about `name` in the current folder; a trailing "/" tells it a
// folder without a stat call.
bool GitIgnore::ignored(std::string_view name, bool directory) {
    std::string path = rel_;
    path += name;
    if (directory) {
        path += '/';
    }
    return askGit(path);
}

bool GitIgnore::askGit(const std::string& path) {
    int result = 0;
    return git_ignore_path_is_ignored(&result, repo_, path.c_str()) == 0 && result != 0;
}

bool GitIgnore::tracked(std::string_view name, bool directory) {
    query_ = rel_;
    query_ += name;
    if (indexHolds(query_, false)) {
        return true;  // a file, or a folder tracked as a whole (a submodule)
    }
    if (!directory) {
        return false;
    }
    query_ += '/';
    return indexHolds(query_, true);
}

bool GitIgnore::indexHolds(const std::string& path, bool prefix) {
    if (!indexRead_) {
        indexRead_ = true;
        const char* gitdir = git_repository_path(repo_);
        if (!ReadIndexPaths(ReadWhole(std::string(gitdir) + "index"), trackedNames_, tracked_) &&
            git_repository_index(&index_, repo_) != 0) {
            index_ = nullptr;
        }
    }
    if (index_ == nullptr) {
        const auto at = std::lower_bound(tracked_.begin(), tracked_.end(), path);
        return at != tracked_.end() && (prefix ? at->starts_with(path) : *at == path);
    }
    std::size_t at = 0;
    if (git_index_find_prefix(&at, index_, path.c_str()) != 0) {
        return false;
    }
    // The first entry under a prefix is the path itself when it is tracked.
    const git_index_entry* entry = git_index_get_byindex(index_, at);
    return prefix || (entry != nullptr && path == entry->path);
}

}  // namespace morvash::detail
