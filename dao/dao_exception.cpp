#include "dao_exception.h"
#include "engine_call.h"
#include "engine_text.h"
#include <memory>

IMPLEMENT_DYNAMIC(CDaoException, CException)

CDaoException::~CDaoException() { delete m_pErrorInfo; }

CString CDaoException::GetErrorText() const
{
    if (m_pErrorInfo) return m_pErrorInfo->m_strDescription;
    switch (m_nAfxDaoError) {
    case AFX_DAO_ERROR_OBJECT_NOT_OPEN: return "The database object is not open.";
    case AFX_DAO_ERROR_ENGINE_INITIALIZATION: return "The database engine could not be started.";
    case AFX_DAO_ERROR_DFX_BIND: return "A field could not be bound.";
    default: return "The data-access layer reported an error.";
    }
}

BOOL CDaoException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    if (pnHelpContext) *pnHelpContext = m_pErrorInfo ? static_cast<UINT>(m_pErrorInfo->m_lHelpContext) : 0;
    if (!lpszError || nMaxError == 0) return FALSE;
    lstrcpynA(lpszError, GetErrorText(), static_cast<int>(nMaxError));
    return TRUE;
}

void AfxThrowDaoException(int nAfxDaoError, SCODE scode)
{
    CDaoException* e = nullptr;
    try {
        e = new CDaoException;
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    e->m_nAfxDaoError = nAfxDaoError;
    e->m_scode = scode;
    throw e;
}

void ThrowEngineError(long lErrorCode, const std::string& description)
{
    std::unique_ptr<CDaoException> e;
    try {
        e = std::make_unique<CDaoException>();
        e->m_pErrorInfo = new CDaoErrorInfo;
        e->m_pErrorInfo->m_lErrorCode = lErrorCode;
        e->m_pErrorInfo->m_strDescription = ProgramText(description);
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    }
    throw e.release();
}
