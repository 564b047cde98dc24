#pragma once

// The few numbers the dialog classes share: dialog results, window-menu
// commands, menu flags and message-box styles. The values are fixed, since
// the dialog templates and callers compare them as numbers.

#include <cstdint>

using UINT = unsigned int;
using LPARAM = std::intptr_t;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

/// The window menu's close command.
inline constexpr UINT SC_CLOSE = 0xF060;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONQUESTION = 0x0020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONASTERISK = 0x0040;
inline constexpr UINT MB_ICONMASK = 0x00F0;

/// The longest path, with its terminating zero, that the path buffers hold.
inline constexpr unsigned int MAX_PATH = 260;
