#pragma once

// libgit2, which finds git repositories and reads their configuration, loaded
// the first time a walk follows git's rules rather than with the engine: it
// brings a dozen libraries (TLS, Kerberos, SSH) whose loading would cost every
// start of the programs several milliseconds, for an option few runs use.

#include <git2.h>

namespace morvash::detail {

/// The libgit2 functions the engine calls, found in the library once loaded.
struct GitLibrary {
    decltype(&git_libgit2_init) libgit2_init;
    decltype(&git_libgit2_shutdown) libgit2_shutdown;
    decltype(&git_repository_open_ext) repository_open_ext;
    decltype(&git_repository_free) repository_free;
    decltype(&git_repository_workdir) repository_workdir;
    decltype(&git_repository_path) repository_path;
    decltype(&git_repository_item_path) repository_item_path;
    decltype(&git_repository_config_snapshot) repository_config_snapshot;
    decltype(&git_config_get_bool) config_get_bool;
    decltype(&git_config_get_path) config_get_path;
    decltype(&git_config_free) config_free;
    decltype(&git_buf_dispose) buf_dispose;

    /// Returns the library, loaded on the first call (by any thread); null
    /// when it cannot be loaded.
    static const GitLibrary* Get();
};

}  // namespace morvash::detail
