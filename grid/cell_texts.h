// The texts of one row's cells as the grid last gave them to the list, so
// that a text set again unchanged is recognised without asking the list.
#pragma once

#include <cstddef>

class CCellTexts {
public:
    CCellTexts() = default;
    ~CCellTexts();
    CCellTexts(const CCellTexts&) = delete;
    CCellTexts& operator=(const CCellTexts&) = delete;

    // Columns 0 to GetCount() - 1 are held; the texts of the others are the
    // list's alone.
    int GetCount() const { return m_nCount; }
    // Holds nCount empty texts, the cells of a new row (0: nothing held).
    void Reset(int nCount);
    // The held text of a column, or null when the column is not held.
    const char* Find(int nCol);
    // Replaces the text of a held column, or holds one more column when nCol
    // is GetCount(); any other column stays unheld.
    void Set(int nCol, const char* pszText);
    // Columns from nCol on are no longer held.
    void Truncate(int nCol);
    // Bytes taken for the texts.
    size_t GetCapacity() const { return m_nCapacity; }

    // The grid's column layout the texts were held under: a column inserted
    // or deleted since moves the list's texts to other columns.
    unsigned m_nLayout = 0;

private:
    // Where column nCol's text starts; nCol must be held. Walks on from the
    // last column found, so that columns taken in order cost one text each.
    size_t Seek(int nCol);
    void Reserve(size_t nSize);

    // The held texts one after the other, each ended by a NUL.
    char* m_pData = nullptr;
    size_t m_nSize = 0;
    size_t m_nCapacity = 0;
    int m_nCount = 0;
    int m_nCursorCol = 0;     // a held column (or 0) ...
    size_t m_nCursorPos = 0;  // ... and where its text starts
};
