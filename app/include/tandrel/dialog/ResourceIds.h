#pragma once

// The resource ids of the Tandrel program: its dialog templates, string table
// and icon in app/res, the controls of its dialogs and the commands of the
// window menu. The templates in app/res carry the same numbers.
//
// <windows.h>, which a Windows build includes through WinTypes.h in place of
// its stand-ins, defines IDC_SIZE (a cursor's id) as a macro. The size check
// box keeps the name: WinTypes.h comes first and the macro goes, so IDC_SIZE
// below is the check box's whatever a file includes after this header
// (<windows.h> is read once).

#include "morvash/platform/WinTypes.h"

#undef IDC_SIZE

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_SETTINGS = 103;
inline constexpr int IDR_MAINFRAME = 128;

inline constexpr int IDC_FOLDER = 1000;
inline constexpr int IDC_BROWSE = 1001;
inline constexpr int IDC_EXPAND = 1002;
inline constexpr int IDC_OUTPUT = 1004;
inline constexpr int IDC_ITEMS_GROUP = 1005;
inline constexpr int IDC_FILENAME = 1006;
inline constexpr int IDC_EXTENSION = 1007;
inline constexpr int IDC_TIMESTAMP = 1008;
inline constexpr int IDC_SIZE = 1009;
inline constexpr int IDC_NO_SUBFOLDERS = 1010;
inline constexpr int IDC_ROOT_FULLPATH = 1011;
inline constexpr int IDC_NO_TREELINES = 1012;
inline constexpr int IDC_EXTENSIONS = 1013;
inline constexpr int IDC_SETTINGS = 1014;
inline constexpr int IDC_STATIC = -1;

// The controls of the settings dialog (IDD_SETTINGS).
inline constexpr int IDC_EXCLUDE = 1100;
inline constexpr int IDC_GITIGNORE = 1101;
inline constexpr int IDC_NO_HIDDEN = 1102;
inline constexpr int IDC_LIMIT_DEPTH = 1103;
inline constexpr int IDC_DEPTH = 1104;
inline constexpr int IDC_SORT = 1105;
inline constexpr int IDC_REVERSE = 1106;
inline constexpr int IDC_DIRS_FIRST = 1107;
inline constexpr int IDC_DRAW_DIALOG = 1108;
inline constexpr int IDC_DRAW_ASCII = 1109;

/// The window menu's commands; their low four bits are free, as for every window-menu command.
inline constexpr unsigned int IDM_ABOUTBOX = 0x0010;
inline constexpr unsigned int IDM_SETTINGS = 0x0020;
