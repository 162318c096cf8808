#include "afxstr.h"
#include "afxapp.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

int CString::Compare(LPCSTR psz) const { return std::strcmp(m_str.c_str(), psz ? psz : ""); }

int CString::CompareNoCase(LPCSTR psz) const { return _stricmp(m_str.c_str(), psz ? psz : ""); }

CString CString::Left(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.c_str(), nCount);
}

CString CString::Right(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.c_str() + (GetLength() - nCount), nCount);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const
{
    nFirst = std::clamp(nFirst, 0, GetLength());
    nCount = std::clamp(nCount, 0, GetLength() - nFirst);
    return CString(m_str.c_str() + nFirst, nCount);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength()) return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength()) return -1;
    size_t pos = m_str.find(pszSub, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

void CString::TrimRight()
{
    size_t n = m_str.size();
    while (n > 0 && std::isspace(static_cast<unsigned char>(m_str[n - 1]))) --n;
    m_str.resize(n);
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    va_list probe;
    va_copy(probe, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, probe);
    va_end(probe);
    if (n < 0) {
        m_str.clear();
        return;
    }
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), pszFormat, args);
    m_str.assign(buf.data(), static_cast<size_t>(n));
}

BOOL CString::LoadString(UINT nID)
{
    // A string resource holds at most 4096 characters.
    char buf[4097];
    int n = ::LoadStringA(AfxGetResourceHandle(), nID, buf, static_cast<int>(sizeof buf));
    m_str.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0;
}

LPSTR CString::GetBufferSetLength(int nLength)
{
    m_str.resize(static_cast<size_t>(nLength > 0 ? nLength : 0));
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0) nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
    m_str.resize(static_cast<size_t>(std::min(nNewLength, GetLength())));
}
