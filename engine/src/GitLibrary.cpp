#include "GitLibrary.h"

#include "morvash/platform/SharedLibrary.h"

namespace morvash::detail {
namespace {

// Resolves every function of `git` in `library`; false when one is missing.
bool Resolve(const platform::SharedLibrary& library, GitLibrary& git) {
    bool all = library.Loaded();
    const auto find = [&](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.Symbol(name));
        all = all && function != nullptr;
    };
    find(git.libgit2_init, "git_libgit2_init");
    find(git.libgit2_shutdown, "git_libgit2_shutdown");
    find(git.repository_open_ext, "git_repository_open_ext");
    find(git.repository_free, "git_repository_free");
    find(git.repository_workdir, "git_repository_workdir");
    find(git.repository_path, "git_repository_path");
    find(git.repository_item_path, "git_repository_item_path");
    find(git.repository_config_snapshot, "git_repository_config_snapshot");
    find(git.config_get_bool, "git_config_get_bool");
    find(git.config_get_path, "git_config_get_path");
    find(git.config_free, "git_config_free");
    find(git.buf_dispose, "git_buf_dispose");
    return all;
}

}  // namespace

const GitLibrary* GitLibrary::Get() {
    // Loaded once for the life of the process: libgit2 keeps state of its
    // own between its init and shutdown calls, and a walk may come again.
    static const platform::SharedLibrary library(MORVASH_LIBGIT2_FILE);
    static GitLibrary git{};
    static const bool resolved = Resolve(library, git);
    return resolved ? &git : nullptr;
}

}  // namespace morvash::detail
