#include "morvash/platform/CStringArray.h"

#include <utility>

void CStringArray::SetSize(int newSize, int /*growBy*/) {
    items_.resize(newSize > 0 ? static_cast<std::size_t>(newSize) : 0);
}

void CStringArray::SetAtGrow(int index, const CString& item) {
    SetAtGrow(index, CString(item));
}

void CStringArray::SetAtGrow(int index, CString&& item) {
    if (index < 0) {
        return;
    }
    const auto at = static_cast<std::size_t>(index);
    if (at >= items_.size()) {
        items_.resize(at + 1);
    }
    items_[at] = std::move(item);
}

int CStringArray::Add(const CString& item) {
    return Add(CString(item));
}

int CStringArray::Add(CString&& item) {
    items_.push_back(std::move(item));
    return static_cast<int>(items_.size()) - 1;
}
