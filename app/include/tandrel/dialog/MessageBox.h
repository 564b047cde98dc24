#pragma once

// The framework's message box: a modal QMessageBox whose caption is the
// application's name (AppName, "Tandrel") and whose text is in the active code page.

#include "morvash/platform/CString.h"
#include "tandrel/dialog/DialogConstants.h"

/// Shows `text` with the icon `nType` selects (MB_ICONHAND: critical) and an
/// OK button, owned by the active window; returns IDOK when it is closed.
int AfxMessageBox(const CString& text, UINT nType = MB_OK, UINT nIDHelp = 0);
