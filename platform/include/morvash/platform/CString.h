#pragma once

// CString: the framework's multibyte string, as the engine's interface and the
// dialog use it. A value type: copies are independent. Text is NUL-terminated
// bytes in the active code page; lengths and indexes count bytes. Character
// searches step over double-byte characters (see platform/MbcsSearch.h).
//
// The object is one pointer wide, so that a listing of a million lines costs
// little beyond the lines' own bytes: the length and capacity live in front of
// the text in the same heap block, and the empty string owns no block.

#include <cstdint>
#include <string_view>

#include "morvash/platform/Export.h"

class PLATFORM_API CString {
  public:
    CString() noexcept = default;
    /// Copies NUL-terminated text; a null pointer gives the empty string.
    CString(const char* text);  // NOLINT(google-explicit-constructor): framework semantics
    /// Copies the bytes of a view (which may hold any byte but NUL).
    explicit CString(std::string_view text);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    /// Returns the length in bytes.
    int GetLength() const noexcept {
        return text_ == nullptr ? 0 : static_cast<int>(header()->length);
    }
    /// Tells whether the string is empty.
    bool IsEmpty() const noexcept { return text_ == nullptr || GetLength() == 0; }
    /// Returns the NUL-terminated text; never null.
    operator const char*() const noexcept { return text_ != nullptr ? text_ : ""; }
    /// Returns the text as a view of its bytes.
    std::string_view view() const noexcept {
        return text_ == nullptr ? std::string_view() : std::string_view(text_, header()->length);
    }

    /// Appends text; appends grow the capacity geometrically, so building a
    /// long text by appending costs time linear in its length.
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(std::string_view text);
    CString& operator+=(char ch);

    /// Replaces the content with printf-style formatted text.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    /// Finds character `ch` from byte `start`; returns its index or -1.
    int Find(char ch, int start = 0) const noexcept;
    /// Finds the text `sub` from byte `start`; returns its index or -1.
    int Find(const char* sub, int start = 0) const noexcept;
    /// Finds the last character `ch`; returns its index or -1.
    int ReverseFind(char ch) const noexcept;

    /// Returns the first `count` bytes (all of them when count exceeds the length).
    CString Left(int count) const;
    /// Returns the bytes from `first` to the end.
    CString Mid(int first) const;
    /// Returns `count` bytes from `first`.
    CString Mid(int first, int count) const;

    /// Removes leading white space: TAB, LF, VT, FF, CR and blank.
    CString& TrimLeft();
    /// Inserts `ch` before byte `index` (clamped to the string); returns the new length.
    int Insert(int index, char ch);

    /// Makes room for `length` bytes without changing the content.
    void Preallocate(int length);
    /// Empties the string and releases its memory.
    void Empty() noexcept;
    /// Shortens the text to its first `length` bytes (no change when it is no
    /// longer), keeping the memory it holds for text appended later.
    void Truncate(int length) noexcept;

    friend bool operator==(const CString& a, const CString& b) noexcept {
        return a.view() == b.view();
    }
    friend bool operator==(const CString& a, const char* b) noexcept {
        return a.view() == std::string_view(b != nullptr ? b : "");
    }

  private:
    struct Header {
        std::uint32_t length;
        std::uint32_t capacity;
    };
    // The header in front of the text; only valid when text_ is not null.
    Header* header() const noexcept { return reinterpret_cast<Header*>(text_ - sizeof(Header)); }
    void assign(std::string_view text);
    void append(std::string_view text);
    void reserve(std::size_t capacity, bool exact);

    char* text_ = nullptr;
};

PLATFORM_API CString operator+(const CString& a, const CString& b);
PLATFORM_API CString operator+(const CString& a, const char* b);
PLATFORM_API CString operator+(const char* a, const CString& b);
PLATFORM_API CString operator+(const CString& a, char b);
