// The viewer dialog: owns every control and all run-time state of the program.
#pragma once
#include <new>
#include <optional>
#include "afx.h"
#include "afxdao.h"
#include "grid_list_ctrl.h"
#include "resource.h"
#include "transfer.h"

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
    CDaoDatabase m_db;  // the dialog's own connection, open only while updating
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

    // Database opening and the table catalogue (database_open.cpp).
    // Stops the modes, forgets the current table, opens the database at
    // strPath and lists its tables that are neither system nor hidden
    // objects; a failure is logged and reported.
    void OpenDatabase(const CString& strPath);
    // Fills info with table definition nIndex of the database; FALSE when there
    // is no database or the data-access layer fails (nothing is reported).
    BOOL GetTableInfo(CDaoDatabase* pDb, CDaoTableDefInfo& info, int nIndex);
    // The table selected in the list, or empty after telling the operator.
    CString GetSelectedTable();
    // The reading and updating modes (reading_modes.cpp).
    // Switches both modes off; the next tick then removes the timer.
    void StopModes();
    // Creates the tick timer with the interval edit's period (tenths of a
    // second, 20 when empty or below 1) and shows the interval in use. FALSE,
    // and a line in the log, when no timer could be made.
    BOOL StartTimer();

    // Moving a table into the grid (transfer/), within the guards of the
    // dialog (table_transfer.cpp, repair_db.cpp).
    // One grid column per field of the table (at most 240), by field type;
    // nothing without an open database. The definition it reads goes into
    // pFields when given.
    void BuildColumns(const CString& strTable, CDaoDatabase* pDb, transfer::CTableFields* pFields = nullptr);
    // The query text of the table: its first 1000 records, fields named.
    CString BuildQuery(const CString& strTable, CDaoDatabase* pDb);
    // A field value as cell text: nPrecision decimals for floating-point
    // values; dwDateStyle 1 time only, 2 date only, otherwise date and time.
    static CString ToString(const COleVariant& var, int nPrecision, DWORD dwDateStyle);
    // The first read of a table: fills the grid and gives the query text it
    // used (empty when it read nothing). The query names pFields when given,
    // else the fields of the definition it reads.
    CString ReadTable(const CString& strTable, CDaoDatabase* pDb, const transfer::CTableFields* pFields = nullptr);
    // Reads the current table again with the stored query text; gives the
    // number of records put into the grid.
    int RefreshTable();
    // Writes every field of the current table's records (the stored query's)
    // back with the value it holds, one edit and update per field; gives the
    // number of records done. Needs m_db open.
    int RewriteRecords();

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
    // Enables the table list exactly when both modes are off.
    void UpdateTableListState();
    // The first read of a table, for "Read Once" and both toggles: opens db on
    // the database path, lays out the columns unless they are strTable's
    // already, reads the table and stores its query text; db is closed after.
    void ReadFirst(const CString& strTable, CDaoDatabase& db);
    // Lays out the grid's columns for strTable unless they are its already;
    // the definition read for them goes into fields.
    void LayOutColumns(const CString& strTable, CDaoDatabase* pDb, std::optional<transfer::CTableFields>& fields);
    // Fits the grid's rows to the recordset's records and sets every cell;
    // nDone counts the records done so far.
    void FillGridRows(CDaoRecordset& rs, int& nDone);
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
