#include "morvash/platform/SharedLibrary.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::SharedLibrary(const char* name) noexcept
    : handle_(::dlopen(name, RTLD_NOW | RTLD_LOCAL)) {}

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
    }
}

void* SharedLibrary::Symbol(const char* name) const noexcept {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

}  // namespace platform
