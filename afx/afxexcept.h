// Exceptions of the class layer. They are thrown as pointers and released by the
// catcher with Delete():
//
//   try { ... } catch (CException* e) { ...; e->Delete(); }
#pragma once
#include "afxobject.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}

    // Frees the exception unless it is a shared, preallocated one.
    void Delete();
    // Text describing the error; FALSE when there is none.
    virtual BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const;
    // Shows the error text in a message box (AfxMessageBox).
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;

protected:
    BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;
};

// Throws the one preallocated CMemoryException (no allocation is needed to report
// that memory ran out; its Delete() does nothing).
[[noreturn]] void AfxThrowMemoryException();
