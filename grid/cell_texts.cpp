#include "cell_texts.h"
#include <cstdlib>
#include <cstring>
#include <new>

CCellTexts::~CCellTexts() { std::free(m_pData); }

void CCellTexts::Reserve(size_t nSize)
{
    if (nSize <= m_nCapacity) return;
    // An eighth more than asked: a row filled column by column grows a few
    // dozen times, and the slack stays small beside the texts.
    const size_t nCapacity = nSize + nSize / 8 + 16;
    char* pData = static_cast<char*>(std::realloc(m_pData, nCapacity));
    if (pData == nullptr) throw std::bad_alloc();
    m_pData = pData;
    m_nCapacity = nCapacity;
}

void CCellTexts::Reset(int nCount)
{
    m_nCount = 0;
    m_nSize = 0;
    m_nCursorCol = 0;
    m_nCursorPos = 0;
    if (nCount <= 0) return;
    Reserve(static_cast<size_t>(nCount));
    std::memset(m_pData, 0, static_cast<size_t>(nCount));
    m_nSize = static_cast<size_t>(nCount);
    m_nCount = nCount;
}

size_t CCellTexts::Seek(int nCol)
{
    int nAt = 0;
    size_t nPos = 0;
    if (nCol >= m_nCursorCol) {
        nAt = m_nCursorCol;
        nPos = m_nCursorPos;
    }
    for (; nAt < nCol; ++nAt) nPos += std::strlen(m_pData + nPos) + 1;
    m_nCursorCol = nCol;
    m_nCursorPos = nPos;
    return nPos;
}

const char* CCellTexts::Find(int nCol)
{
    if (nCol < 0 || nCol >= m_nCount) return nullptr;
    return m_pData + Seek(nCol);
}

void CCellTexts::Set(int nCol, const char* pszText)
{
    if (nCol < 0 || nCol > m_nCount || pszText == nullptr) return;
    const size_t nNew = std::strlen(pszText) + 1;
    if (nCol == m_nCount) {
        Reserve(m_nSize + nNew);
        std::memcpy(m_pData + m_nSize, pszText, nNew);
        m_nCursorCol = nCol;
        m_nCursorPos = m_nSize;
        m_nSize += nNew;
        ++m_nCount;
        return;
    }
    const size_t nPos = Seek(nCol);
    const size_t nOld = std::strlen(m_pData + nPos) + 1;
    if (nNew > nOld) Reserve(m_nSize + nNew - nOld);
    std::memmove(m_pData + nPos + nNew, m_pData + nPos + nOld, m_nSize - nPos - nOld);
    std::memcpy(m_pData + nPos, pszText, nNew);
    m_nSize = m_nSize - nOld + nNew;
}

void CCellTexts::Truncate(int nCol)
{
    if (nCol < 0) nCol = 0;
    if (nCol >= m_nCount) return;
    m_nSize = Seek(nCol);
    m_nCount = nCol;
    if (m_nCursorCol >= m_nCount) {
        m_nCursorCol = 0;
        m_nCursorPos = 0;
    }
}
