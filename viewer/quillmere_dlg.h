// The viewer dialog: owns every control and all run-time state of the program.
#pragma once
#include <new>
#include "afx.h"
#include "grid_list_ctrl.h"
#include "resource.h"

class CQuillmereDlg : public CDialog {
public:
    explicit CQuillmereDlg(CWnd* pParent = nullptr);
    ~CQuillmereDlg() override;

    enum { IDD = IDD_QUILLMERE_DIALOG };

    CEdit m_editLog;
    CButton m_btnUpdating;
    CButton m_btnReading;
    CEdit m_editInterval;
    CDLGridListCtrl m_grid;
    CListBox m_lstTables;
    CEdit m_editUpdateRows;
    CEdit m_editReadRows;
    CStatic m_stcPath;
    HICON m_hIcon;
    CString m_strDbPath;
    // m_db, the dialog's own database object (a CDaoDatabase on the default
    // workspace, open only while updating), is declared here, between
    // m_strDbPath and m_strTable, when the database layer exists.
    CString m_strTable;
    CString m_strSQL;
    UINT m_nTimerId;
    BOOL m_bReading;
    BOOL m_bUpdating;

    // Appends one line to the message log, keeping the log within the control's
    // text limit: when the line would reach the limit L, the log is cut to its
    // last (3 * L) / 4 characters (line included).
    void LogMessage(const CString& strMessage);
    // The catch clauses of every guarded database call: logs the line for the
    // exception (CatchLine) and deletes the exception.
    void LogException(CException* e);
    // Runs body; an exception it throws is logged as a catch line and the caller
    // goes on. What body did before the exception stays done.
    template <class Body>
    void RunGuarded(Body&& body);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnBrowse();
    afx_msg void OnToggleReading();
    afx_msg void OnToggleUpdating();
    afx_msg void OnReadOnce();
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg void OnRepairDb();

    DECLARE_MESSAGE_MAP()

private:
    // Asks whether to close; on Yes destroys the tick timer. TRUE on Yes.
    BOOL ConfirmClose();
};

template <class Body>
void CQuillmereDlg::RunGuarded(Body&& body)
{
    try {
        body();
    } catch (CException* e) {
        LogException(e);
    } catch (const std::bad_alloc&) {
        // Running out of memory is a memory exception, whoever reports it.
        CMemoryException e(FALSE);
        LogException(&e);
    }
}
