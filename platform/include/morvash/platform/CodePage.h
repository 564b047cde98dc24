#pragma once

// The process-wide multibyte code page. Every character search of the system
// (CString, the walk's extension filter, path handling, the renderer) steps
// over the double-byte characters of the active code page, so a trail byte is
// never taken for '/', '\\', '.', ' ' or TAB.
//
// A program chooses the code page once at start from the locale's character
// set. The system's own texts are stored once, as UTF-8, and converted into the
// active code page when used; text for display is converted back to UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

#include "morvash/platform/Export.h"

namespace platform {

enum class CodePage {
    Utf8,   ///< UTF-8: no byte needs stepping over for an ASCII search.
    Cp932,  ///< Shift_JIS (Windows code page 932): lead bytes 0x81-0x9F, 0xE0-0xFC.
};

/// Sets the active code page for the whole process.
PLATFORM_API void SetActiveCodePage(CodePage page) noexcept;

/// Returns the active code page (UTF-8 until a program chooses one).
PLATFORM_API CodePage ActiveCodePage() noexcept;

/// Maps a character-set name (as nl_langinfo(CODESET) gives it) to a code page:
/// Shift_JIS, SJIS, CP932 and WINDOWS-31J (any case) select 932, anything else UTF-8.
PLATFORM_API CodePage CodePageForCharset(std::string_view charset) noexcept;

/// Calls setlocale(LC_ALL, ""), reads the locale's character set, makes the
/// matching code page active and returns it.
PLATFORM_API CodePage SelectCodePageFromLocale() noexcept;

/// Tells whether a byte starts a double-byte character in the active code page.
PLATFORM_API bool IsLeadByte(unsigned char byte) noexcept;

/// Converts UTF-8 text into the active code page. Characters the code page
/// cannot hold, and invalid input bytes, become '?'.
PLATFORM_API std::string FromUtf8(std::string_view utf8);

/// Converts text in the active code page into UTF-8 for display. Bytes that do
/// not form a character of the code page become U+FFFD.
PLATFORM_API std::string ToUtf8(std::string_view text);

/// Decodes the well-formed UTF-8 character at the start of `text` (RFC 3629:
/// no overlong forms, no surrogates, nothing above U+10FFFF) into
/// `character`; returns its length, or 0 for a sequence that is invalid or
/// cut off (and for empty text).
PLATFORM_API std::size_t DecodeUtf8(std::string_view text, char32_t& character) noexcept;

}  // namespace platform
