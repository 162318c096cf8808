// Compacting a database in place: into a temporary file beside it, which
// then takes the database's place.
#include "transfer.h"

namespace {
const char kCompactLocale[] = ";LANGID=0x0409;CP=1252;COUNTRY=0";

// The system's own words for an error code.
CString SystemErrorText(DWORD dwError)
{
    char text[256] = "";
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                                     0, text, sizeof text, nullptr);
    CString result(text, static_cast<int>(n));
    result.TrimRight();
    if (result.IsEmpty()) result.Format("System error %lu.", static_cast<unsigned long>(dwError));
    return result;
}
} // namespace

BOOL transfer::CReplaceException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext) *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0) return FALSE;
    ::lstrcpynA(lpszError, m_strMessage, static_cast<int>(nMaxError));
    return TRUE;
}

CString transfer::CompactTempName(const CString& strPath)
{
    // Only a dot in the file's own name (after the last separator or drive
    // colon) begins its extension.
    int nName = 0;
    for (int i = 0; i < strPath.GetLength(); ++i)
        if (strPath[i] == '\\' || strPath[i] == '/' || strPath[i] == ':') nName = i + 1;
    const int nDot = strPath.ReverseFind('.');
    if (nDot < nName) return strPath + ".tmp";
    return strPath.Left(nDot) + ".tmp";
}

void transfer::CompactInPlace(const CString& strPath)
{
    const CString strTemp = CompactTempName(strPath);
    CDaoWorkspace workspace;
    // One rename replaces the database, right after the compaction had it to
    // itself: a program that opened it since makes the rename fail, so none
    // of its writes are lost. The database either still is the old file or
    // already the compacted one, never half of each. When the rename fails
    // the compacted copy stays, and the exception says where.
    workspace.CompactDatabase(strPath, strTemp, kCompactLocale, 0, [&] {
        if (!::MoveFileExA(strTemp, strPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw new CReplaceException(SystemErrorText(::GetLastError()) + "\nThe compacted database was kept as '" +
                                        strTemp + "'.");
    });
}
