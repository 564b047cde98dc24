#include "morvash/platform/ExtensionModule.h"

#include <cstring>

namespace {

// Head of the chain of extension libraries; constant-initialised and never
// destroyed, so unloading at exit can still walk it.
CDynLinkLibrary* gChain = nullptr;

}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const char* moduleName) {
    state.name = moduleName;
    state.bInitialized = TRUE;
    return TRUE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL /*system*/)
    : module_(&state), next_(gChain) {
    gChain = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    for (CDynLinkLibrary** link = &gChain; *link != nullptr; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    CDynLinkLibrary* entry = gChain;
    while (entry != nullptr) {
        CDynLinkLibrary* next = entry->next_;
        if (all || entry->module_ == &state) {
            delete entry;  // the chain owns its entries; the destructor unlinks it
        }
        entry = next;
    }
    state.bInitialized = FALSE;
}

int AfxCountExtensionModules(const char* moduleName) {
    int count = 0;
    for (const CDynLinkLibrary* entry = gChain; entry != nullptr; entry = entry->next_) {
        if (entry->module_->name != nullptr && moduleName != nullptr &&
            std::strcmp(entry->module_->name, moduleName) == 0) {
            ++count;
        }
    }
    return count;
}
