#include "morvash/platform/CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "morvash/platform/MbcsSearch.h"

namespace {

constexpr std::size_t kMaxLength = std::numeric_limits<std::uint32_t>::max() - 1;

bool IsWhiteSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Clamps a (first, count) byte range to the string: a negative first or count
// counts as 0, and the range ends at the string's end.
std::string_view Slice(std::string_view text, int first, int count) noexcept {
    const auto size = static_cast<int>(text.size());
    first = std::clamp(first, 0, size);
    count = std::clamp(count, 0, size - first);
    return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}

}  // namespace

CString::CString(const char* text) {
    if (text != nullptr) {
        assign(text);
    }
}

CString::CString(std::string_view text) {
    assign(text);
}

CString::CString(const CString& other) {
    assign(other.view());
}

CString::CString(CString&& other) noexcept : text_(other.text_) {
    other.text_ = nullptr;
}

CString::~CString() {
    Empty();
}

CString& CString::operator=(const CString& other) {
    if (this != &other) {
        assign(other.view());
    }
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        Empty();
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

CString& CString::operator=(const char* text) {
    // The text may lie inside this string; copy it before releasing anything.
    CString copy(text);
    *this = std::move(copy);
    return *this;
}

void CString::Empty() noexcept {
    if (text_ != nullptr) {
        ::operator delete(header());
        text_ = nullptr;
    }
}

void CString::Truncate(int length) noexcept {
    if (text_ != nullptr && length >= 0 && length < GetLength()) {
        header()->length = static_cast<std::uint32_t>(length);
        text_[length] = '\0';
    }
}

void CString::reserve(std::size_t capacity, bool exact) {
    const std::size_t current = text_ == nullptr ? 0 : header()->capacity;
    if (capacity <= current && text_ != nullptr) {
        return;
    }
    if (capacity > kMaxLength) {
        throw std::bad_alloc();
    }
    if (!exact) {
        capacity = std::min(kMaxLength, std::max(capacity, current + current / 2 + 16));
    }
    void* block = ::operator new(sizeof(Header) + capacity + 1);
    auto* fresh = static_cast<Header*>(block);
    fresh->length = text_ == nullptr ? 0 : header()->length;
    fresh->capacity = static_cast<std::uint32_t>(capacity);
    char* text = static_cast<char*>(block) + sizeof(Header);
    if (text_ != nullptr) {
        std::memcpy(text, text_, fresh->length);
    }
    text[fresh->length] = '\0';
    Empty();
    text_ = text;
}

void CString::assign(std::string_view text) {
    if (text.empty()) {
        Empty();
        return;
    }
    if (text_ == nullptr || header()->capacity < text.size()) {
        Empty();
        reserve(text.size(), true);
    }
    std::memmove(text_, text.data(), text.size());
    header()->length = static_cast<std::uint32_t>(text.size());
    text_[text.size()] = '\0';
}

void CString::append(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const std::size_t length = static_cast<std::size_t>(GetLength());
    if (text_ == nullptr || header()->capacity < length + text.size()) {
        // The appended text may lie inside this string, which reserve() frees.
        if (text_ != nullptr && text.data() >= text_ && text.data() <= text_ + length) {
            CString copy(text);
            append(copy.view());
            return;
        }
        reserve(length + text.size(), text_ == nullptr);
    }
    std::memmove(text_ + length, text.data(), text.size());
    header()->length = static_cast<std::uint32_t>(length + text.size());
    text_[length + text.size()] = '\0';
}

void CString::Preallocate(int length) {
    if (length > 0) {
        reserve(static_cast<std::size_t>(length), true);
    }
}

CString& CString::operator+=(const CString& text) {
    append(text.view());
    return *this;
}

CString& CString::operator+=(const char* text) {
    if (text != nullptr) {
        append(text);
    }
    return *this;
}

CString& CString::operator+=(std::string_view text) {
    append(text);
    return *this;
}

CString& CString::operator+=(char ch) {
    append(std::string_view(&ch, 1));
    return *this;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (needed <= 0) {
        va_end(again);
        Empty();
        return;
    }
    CString result;
    result.reserve(static_cast<std::size_t>(needed), true);
    std::vsnprintf(result.text_, static_cast<std::size_t>(needed) + 1, format, again);
    va_end(again);
    result.header()->length = static_cast<std::uint32_t>(needed);
    *this = std::move(result);
}

int CString::Find(char ch, int start) const noexcept {
    return platform::FindChar(view(), ch, start);
}

int CString::Find(const char* sub, int start) const noexcept {
    return platform::FindText(view(), sub != nullptr ? sub : "", start);
}

int CString::ReverseFind(char ch) const noexcept {
    return platform::ReverseFindChar(view(), ch);
}

CString CString::Left(int count) const {
    return CString(Slice(view(), 0, count));
}

CString CString::Mid(int first) const {
    return CString(Slice(view(), first, GetLength()));
}

CString CString::Mid(int first, int count) const {
    return CString(Slice(view(), first, count));
}

CString& CString::TrimLeft() {
    std::string_view text = view();
    std::size_t skip = 0;
    while (skip < text.size() && IsWhiteSpace(text[skip])) {
        ++skip;
    }
    if (skip > 0) {
        assign(text.substr(skip));
    }
    return *this;
}

int CString::Insert(int index, char ch) {
    std::string_view text = view();
    const auto at = static_cast<std::size_t>(std::clamp(index, 0, GetLength()));
    CString result;
    result.reserve(text.size() + 1, true);
    result.append(text.substr(0, at));
    result.append(std::string_view(&ch, 1));
    result.append(text.substr(at));
    *this = std::move(result);
    return GetLength();
}

CString operator+(const CString& a, const CString& b) {
    CString result;
    result.Preallocate(a.GetLength() + b.GetLength());
    result += a;
    result += b;
    return result;
}

CString operator+(const CString& a, const char* b) {
    return a + CString(b);
}

CString operator+(const char* a, const CString& b) {
    return CString(a) + b;
}

CString operator+(const CString& a, char b) {
    CString result;
    result.Preallocate(a.GetLength() + 1);
    result += a;
    result += b;
    return result;
}
