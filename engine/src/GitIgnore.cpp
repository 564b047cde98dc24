#include "GitIgnore.h"

#include <cstdlib>
#include <utility>

#include "GitIndex.h"
#include "GitLibrary.h"
#include "GitRules.h"
#include "morvash/platform/Files.h"

namespace morvash::detail {

namespace {

std::string TakeBuffer(const GitLibrary& git, git_buf& buffer) {
    std::string text = buffer.ptr != nullptr ? std::string(buffer.ptr, buffer.size) : std::string();
    git.buf_dispose(&buffer);
    buffer = git_buf{};
    return text;
}

// The user's excludes file when core.excludesFile names none, as git finds it.
std::string DefaultExcludesFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config != '\0') {
        return std::string(config) + "/git/ignore";
    }
    const char* home = std::getenv("HOME");
    return home != nullptr ? std::string(home) + "/.config/git/ignore" : std::string();
}

// Adds one level holding the rules of the file `path` (none when it cannot be
// read, or, with LinkUse::Refuse, is a symbolic link).
void PushFile(GitRules& rules, std::string_view base, const std::string& path,
              platform::LinkUse links) {
    rules.Push(base);
    std::string text;
    if (!path.empty() && platform::ReadRegularFile(path, text, links)) {
        rules.Add(text);
    }
}

}  // namespace

// One repository's place, rules and index.
struct GitIgnore::Repository {
    Repository(const GitLibrary& library, git_repository* opened, bool ignoreCase)
        : git(library), repo(opened), rules(ignoreCase) {}
    ~Repository() { git.repository_free(repo); }
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;

    /// Opens the repository whose work tree holds `folder` (searching upwards
    /// when `search`) and reads its configuration and the rules that apply to
    /// its whole tree; null without a work tree.
    static std::unique_ptr<Repository> Open(const GitLibrary& git, const char* folder, bool search);
    /// Tells whether the index holds `path`, or with `directory` anything in it.
    bool Tracked(std::string& path, bool directory);

    const GitLibrary& git;
    git_repository* repo;
    std::string workdir;  // ending with "/"
    std::string rel;      // the current folder below it, "" or ending with "/"
    GitRules rules;
    GitIndex index;
    bool indexRead = false;
};

std::unique_ptr<GitIgnore::Repository> GitIgnore::Repository::Open(const GitLibrary& git,
                                                                   const char* folder,
                                                                   bool search) {
    git_repository* repo = nullptr;
    const unsigned int flags = search ? 0 : GIT_REPOSITORY_OPEN_NO_SEARCH;
    if (git.repository_open_ext(&repo, folder, flags, nullptr) != 0) {
        return nullptr;
    }
    if (git.repository_workdir(repo) == nullptr) {
        git.repository_free(repo);
        return nullptr;
    }
    bool ignoreCase = false;
    git_buf buffer = GIT_BUF_INIT;
    std::string excludes = DefaultExcludesFile();
    git_config* config = nullptr;
    if (git.repository_config_snapshot(&config, repo) == 0) {
        int value = 0;
        ignoreCase = git.config_get_bool(&value, config, "core.ignorecase") == 0 && value != 0;
        if (git.config_get_path(&buffer, config, "core.excludesfile") == 0) {
            excludes = TakeBuffer(git, buffer);
        }
        git.config_free(config);
    }
    auto opened = std::make_unique<Repository>(git, repo, ignoreCase);
    opened->workdir = git.repository_workdir(repo);
    // The rules for the whole tree, the weaker first; symbolic links are
    // followed here, as git follows them.
    PushFile(opened->rules, {}, excludes, platform::LinkUse::Follow);
    std::string info;
    if (git.repository_item_path(&buffer, repo, GIT_REPOSITORY_ITEM_INFO) == 0) {
        info = TakeBuffer(git, buffer) + "exclude";
    }
    PushFile(opened->rules, {}, info, platform::LinkUse::Follow);
    return opened;
}

bool GitIgnore::Repository::Tracked(std::string& path, bool directory) {
    if (!indexRead) {
        indexRead = true;
        index.Read(git.repository_path(repo));
    }
    // A file, or a folder tracked as a whole (a submodule), or one holding tracked paths.
    if (index.Holds(path)) {
        return true;
    }
    return directory && index.HoldsBelow(path += '/');
}

GitIgnore::GitIgnore(const GitLibrary& library) : library_(library) {
    library_.libgit2_init();
}

GitIgnore::~GitIgnore() {
    repositories_.clear();
    library_.libgit2_shutdown();
}

std::unique_ptr<GitIgnore> GitIgnore::ForFolder(const char* folder) {
    const GitLibrary* library = GitLibrary::Get();
    if (library == nullptr) {
        return nullptr;
    }
    std::unique_ptr<GitIgnore> git(new GitIgnore(*library));
    auto top = Repository::Open(*library, folder, true);
    const std::string real = platform::RealPath(folder) + '/';
    if (top == nullptr || real.size() == 1 || !real.starts_with(top->workdir)) {
        return nullptr;
    }
    std::string rel = real.substr(top->workdir.size());
    if (rel.starts_with(".git/")) {
        return nullptr;
    }
    // The .gitignore files of the folders above the walked one; the walked
    // folder's own comes with Enter.
    for (std::size_t end = 0; end < rel.size(); end = rel.find('/', end) + 1) {
        const std::string above = rel.substr(0, end);
        PushFile(top->rules, above, top->workdir + above + ".gitignore", platform::LinkUse::Refuse);
    }
    if (!rel.empty()) {
        rel.pop_back();
        git->folderIgnored_ = top->rules.Decide(rel, true) == IgnoreVerdict::Ignored;
        rel += '/';
    }
    top->rel = std::move(rel);
    git->repositories_.push_back(std::move(top));
    return git;
}

void GitIgnore::Enter(std::string_view name, bool ignored, bool hasIgnoreFile, GitEntry gitEntry) {
    Level level{current().rel.size(), levels_.empty() ? folderIgnored_ : ignored, false};
    if (!levels_.empty()) {
        // A folder holding a repository of its own is seen from inside it.
        path_ = current().workdir + current().rel;
        path_ += name;
        if (gitEntry == GitEntry::Present ||
            (gitEntry == GitEntry::Unknown && platform::Exists(path_ + "/.git"))) {
            auto nested = Repository::Open(library_, path_.c_str(), false);
            if (nested != nullptr) {
                repositories_.push_back(std::move(nested));
                level = Level{0, false, true};
            }
        }
        if (!level.opensRepository) {
            current().rel.append(name) += '/';
        }
    }
    levels_.push_back(level);
    Repository& repository = current();
    // Git reads no ignore file inside an ignored folder.
    const bool read = hasIgnoreFile && !level.ignored;
    PushFile(repository.rules, repository.rel,
             read ? repository.workdir + repository.rel + ".gitignore" : std::string(),
             platform::LinkUse::Refuse);
}

void GitIgnore::Leave() {
    current().rules.Pop();
    if (levels_.back().opensRepository) {
        repositories_.pop_back();
    } else {
        current().rel.resize(levels_.back().relSize);
    }
    levels_.pop_back();
}

bool GitIgnore::LeftOut(const char* name, std::size_t length, bool directory, bool& ignoredFolder) {
    const std::string_view text(name, length);
    if (text == ".git") {
        return true;
    }
    Repository& repository = current();
    path_ = repository.rel;
    path_ += text;
    // Inside an ignored folder everything untracked is ignored with it.
    if (!levels_.back().ignored &&
        repository.rules.Match(path_, directory) != IgnoreVerdict::Ignored) {
        return false;
    }
    if (!repository.Tracked(path_, directory)) {
        return true;
    }
    ignoredFolder = directory;
    return false;
}

}  // namespace morvash::detail
