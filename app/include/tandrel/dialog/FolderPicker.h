#pragma once

// The folder picker behind the "参照" button: Qt's directory dialog, with the title
// "ﾌｫﾙﾀﾞを選択して下さい", the current folder text preselected through
// BrowseCallbackProc once the picker is ready, the results 1 (chosen) and 2
// (cancelled), and a 260-byte buffer for the chosen path.
//
// BrowseForFolderPath describes the picker in a BROWSEINFO and hands it to a
// FolderPicker, ShowFolderPicker unless a test injects another. The chosen
// folder comes back as the picker's path text; no shell id lists exist here.
// The picker's list writes its dates in the widgets' (Japanese) locale.

#include <QString>

#include <functional>
#include <optional>

#include "tandrel/dialog/DialogConstants.h"

class QFileDialog;
class QWidget;

inline constexpr UINT BFFM_INITIALIZED = 1;
inline constexpr UINT BFFM_SETSELECTION = 1126;

/// The picker callback: the picker window, the message, its parameter and the data.
using BFFCALLBACK = int (*)(QFileDialog* hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

/// What the picker shows; the texts are in the active code page.
struct BROWSEINFO {
    QWidget* hwndOwner = nullptr;  ///< owner window; null leaves every window usable
    const char* lpszTitle = nullptr;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;  ///< called with BFFM_INITIALIZED when the picker is ready
    LPARAM lParam = 0;           ///< the callback's data
};

/// Runs a picker as `bi` describes; returns the chosen folder's path, or
/// nothing when the user cancelled or closed it.
using FolderPicker = std::function<std::optional<QString>(const BROWSEINFO& bi)>;

/// Shows Qt's directory dialog for `bi` and waits until it closes.
std::optional<QString> ShowFolderPicker(const BROWSEINFO& bi);

/// Lets the user choose a folder, preselecting `initialFolder`. Returns 1 when
/// a folder was chosen and 2 when the picker was cancelled. On 1 the chosen
/// path (in the active code page) is copied into `path` when it is shorter
/// than both 260 bytes and `size`; otherwise `path` is left untouched.
int BrowseForFolderPath(QWidget* hwndOwner, const char* initialFolder, char* path,
                        unsigned int size, const FolderPicker& picker = ShowFolderPicker);

/// The picker's callback: on BFFM_INITIALIZED with data, selects the folder
/// whose path text (active code page) the data points to. Returns 0.
int BrowseCallbackProc(QFileDialog* hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);
