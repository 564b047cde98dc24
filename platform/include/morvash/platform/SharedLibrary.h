#pragma once

// A shared library loaded while the program runs, for what only some runs
// need: loading it with the program would cost every run its start-up.

#include <string_view>

#include "morvash/platform/Export.h"

namespace platform {

class PLATFORM_API SharedLibrary {
  public:
    /// Loads the library the system finds under the file name `name`
    /// ("libgit2.so.1.5"); Loaded() tells whether it could.
    explicit SharedLibrary(const char* name) noexcept;
    /// Unloads it.
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool Loaded() const noexcept { return handle_ != nullptr; }
    /// Returns the address of the library's symbol `name`, or null.
    void* Symbol(const char* name) const noexcept;

  private:
    void* handle_;
};

}  // namespace platform
