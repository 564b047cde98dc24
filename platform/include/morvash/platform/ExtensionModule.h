#pragma once

// Stand-ins for the framework's extension-library registration. A shared
// library that the framework should know about initialises one module record
// when it is loaded, enters it into the chain of extension libraries with a
// CDynLinkLibrary, and terminates the record when it is unloaded.
//
// The chain is an intrusive list with a trivially destructible head, so it
// stays usable while libraries are unloaded at process exit.

#include "morvash/platform/Export.h"
#include "morvash/platform/WinTypes.h"

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    const char* name = nullptr;
};

/// Initialises a module record; returns FALSE when it cannot be.
PLATFORM_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, const char* moduleName);

/// Removes the chain entries of one module record (or of all) and frees them.
PLATFORM_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

/// Returns the number of chain entries whose module carries `moduleName`.
PLATFORM_API int AfxCountExtensionModules(const char* moduleName);

class PLATFORM_API CDynLinkLibrary {
  public:
    /// Enters the module record into the chain of extension libraries; a
    /// system library is chained like any other here.
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  private:
    friend void AfxTermExtensionModule(AFX_EXTENSION_MODULE&, BOOL);
    friend int AfxCountExtensionModules(const char*);
    AFX_EXTENSION_MODULE* module_;
    CDynLinkLibrary* next_ = nullptr;
};
