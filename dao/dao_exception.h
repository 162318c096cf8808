// CDaoException: a failure of the data-access layer, thrown as a pointer and
// released by the catcher with Delete().
//
// An error of the database engine carries its record in m_pErrorInfo (the
// engine's error number and its description, worded as the engine words it).
// An error of the layer itself (an object used before it was opened) has no
// such record: m_pErrorInfo is NULL and m_nAfxDaoError says what went wrong.
#pragma once
#include "afxexcept.h"
#include "afxstr.h"

// m_nAfxDaoError values.
#define NO_AFX_DAO_ERROR 0
#define AFX_DAO_ERROR_MIN 2000
#define AFX_DAO_ERROR_ENGINE_INITIALIZATION (AFX_DAO_ERROR_MIN + 0)
#define AFX_DAO_ERROR_DFX_BIND (AFX_DAO_ERROR_MIN + 1)
#define AFX_DAO_ERROR_OBJECT_NOT_OPEN (AFX_DAO_ERROR_MIN + 2)

struct CDaoErrorInfo {
    long m_lErrorCode = 0;
    CString m_strSource;
    CString m_strDescription;
    CString m_strHelpFile;
    long m_lHelpContext = 0;
};

class CDaoException : public CException {
    DECLARE_DYNAMIC(CDaoException)
public:
    CDaoException() = default;
    ~CDaoException() override;
    CDaoException(const CDaoException&) = delete;
    CDaoException& operator=(const CDaoException&) = delete;

    SCODE m_scode = S_OK;
    int m_nAfxDaoError = NO_AFX_DAO_ERROR;
    CDaoErrorInfo* m_pErrorInfo = nullptr;  // owned; NULL for the layer's own errors

    // The engine's description, or for the layer's own errors a sentence
    // saying which one it is.
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
    CString GetErrorText() const;
};

// Throws a CDaoException of the layer itself (no engine error record).
[[noreturn]] void AfxThrowDaoException(int nAfxDaoError = NO_AFX_DAO_ERROR, SCODE scode = S_OK);
