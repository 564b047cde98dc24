#pragma once

// CStringArray: the framework's growable, zero-based array of strings.

#include <vector>

#include "morvash/platform/CString.h"
#include "morvash/platform/Export.h"

class PLATFORM_API CStringArray {
  public:
    /// Returns the number of elements.
    int GetSize() const noexcept { return static_cast<int>(items_.size()); }
    /// Returns a copy of element `index`.
    CString GetAt(int index) const { return items_[static_cast<std::size_t>(index)]; }
    /// Returns element `index` in place, for readers that need no copy.
    const CString& operator[](int index) const { return items_[static_cast<std::size_t>(index)]; }
    /// Resizes to `newSize` elements; a growBy of -1 keeps the default growth.
    void SetSize(int newSize, int growBy = -1);
    /// Sets element `index`, growing the array when index is at or past the end.
    void SetAtGrow(int index, const CString& item);
    void SetAtGrow(int index, CString&& item);
    /// Appends an element and returns its index.
    int Add(const CString& item);
    int Add(CString&& item);

  private:
    std::vector<CString> items_;
};
