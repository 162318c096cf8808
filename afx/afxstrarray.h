// CStringArray: a growable array of CString, indexed from 0.
#pragma once
#include "afxstr.h"
#include <vector>

class CStringArray {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    BOOL IsEmpty() const { return m_items.empty(); }
    // Appends the text and gives its index.
    INT_PTR Add(const CString& newElement)
    {
        m_items.push_back(newElement);
        return GetSize() - 1;
    }
    const CString& GetAt(INT_PTR nIndex) const { return m_items.at(static_cast<size_t>(nIndex)); }
    void SetAt(INT_PTR nIndex, const CString& newElement) { m_items.at(static_cast<size_t>(nIndex)) = newElement; }
    const CString& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    CString& operator[](INT_PTR nIndex) { return m_items.at(static_cast<size_t>(nIndex)); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};
