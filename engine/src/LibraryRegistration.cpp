// Registers libMorvash with the framework's chain of extension libraries while
// it is loaded, and takes it out again when it is unloaded.

#include <cstdlib>

#include "morvash/platform/ExtensionModule.h"

namespace {

AFX_EXTENSION_MODULE gMorvashModule;

__attribute__((constructor)) void OnLoad() {
    if (!AfxInitExtensionModule(gMorvashModule, "Morvash")) {
        // A library that cannot register must not run; the loader has no other
        // way to hear of it.
        std::abort();
    }
    new CDynLinkLibrary(gMorvashModule);  // owned by the chain, freed on unload
}

__attribute__((destructor)) void OnUnload() {
    AfxTermExtensionModule(gMorvashModule);
}

}  // namespace
