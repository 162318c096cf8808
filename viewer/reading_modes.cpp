// The reading and updating modes: two toggles sharing one tick timer. Each
// tick reads the current table into the grid, then rewrites its records.
#include "quillmere_dlg.h"
#include "reading_modes.h"
#include <cstdlib>
#include <cstring>

DWORD s_nReadTotal = 0;
DWORD s_nUpdateTotal = 0;

namespace {
constexpr UINT_PTR kTimerEvent = 1010;
constexpr UINT kIntervalUnitMs = 100;
constexpr int kDefaultInterval = 20;

const char kUpdateQuestion[] = "Are you sure you wish to UPDATE? \nDo NOT use this feature live during a game!!!";
} // namespace

void CQuillmereDlg::UpdateTableListState()
{
    m_lstTables.EnableWindow(!m_bReading && !m_bUpdating);
}

void CQuillmereDlg::OnToggleReading()
{
    // Switching off needs no table: whatever became of the one the mode was
    // started on (its database gone, the table gone with it), STOP ends it.
    if (m_bReading) {
        m_bReading = FALSE;
        m_btnReading.SetWindowText("Start Reading MDB");
        UpdateTableListState();
        return;
    }

    CString strTable = GetSelectedTable();
    if (strTable.IsEmpty()) return;

    if (std::strcmp(strTable, m_strTable) != 0) {
        CDaoDatabase db;
        ReadFirst(strTable, db);
    }

    // Without a timer no tick would come: the mode stays off.
    if (m_nTimerId == 0 && !StartTimer()) return;
    m_bReading = TRUE;
    m_btnReading.SetWindowText("STOP Reading MDB");
    UpdateTableListState();
}

void CQuillmereDlg::OnToggleUpdating()
{
    if (m_bUpdating) {
        m_bUpdating = FALSE;
        m_btnUpdating.SetWindowText("Start Updating MDB");
        if (m_db.IsOpen()) m_db.Close();
        UpdateTableListState();
        return;
    }

    CString strTable = GetSelectedTable();
    if (strTable.IsEmpty()) return;

    // The first read goes through the mode's connection, which the mode being
    // off leaves closed after it.
    if (std::strcmp(strTable, m_strTable) != 0) ReadFirst(strTable, m_db);

    if (AfxMessageBox(kUpdateQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (m_nTimerId == 0 && !StartTimer()) return;

    m_bUpdating = TRUE;
    m_btnUpdating.SetWindowText("STOP Updating MDB");
    UpdateTableListState();
    // The connection is closed here: every other path that opens it closes
    // it again, and the updating mode was off.
    RunGuarded([&] {
        if (!m_db.IsOpen()) m_db.Open(m_strDbPath, FALSE, FALSE, "");
    });
}

BOOL CQuillmereDlg::StartTimer()
{
    CString strInterval;
    m_editInterval.GetWindowText(strInterval);
    int nInterval = std::atoi(strInterval);
    if (nInterval < 1) nInterval = kDefaultInterval;

    const UINT nPeriod = static_cast<UINT>(nInterval) * kIntervalUnitMs;
    m_nTimerId = static_cast<UINT>(SetTimer(kTimerEvent, nPeriod, nullptr));
    if (m_nTimerId == 0) {
        LogMessage("Failed to start the timer; the mode stays off.");
        return FALSE;
    }
    CString strShown;
    strShown.Format("%d", nInterval);
    m_editInterval.SetWindowText(strShown);
    return TRUE;
}

namespace {
// One mode's part of a tick: while the mode is on, its work (or, without
// query text, the log line) and the new total shown; while it is off, the
// total starts again from 0.
template <class Work>
void TickMode(CQuillmereDlg& dlg, BOOL bOn, DWORD& nTotal, CEdit& editTotal, const char* pszNoSql, Work&& work)
{
    if (!bOn) {
        nTotal = 0;
        return;
    }
    if (dlg.m_strSQL.IsEmpty()) {
        dlg.LogMessage(pszNoSql);
        return;
    }
    nTotal += static_cast<DWORD>(work());
    CString strTotal;
    strTotal.Format("%lu rows", static_cast<unsigned long>(nTotal));
    editTotal.SetWindowText(strTotal);
}
} // namespace

void CQuillmereDlg::OnTimer(UINT nIDEvent)
{
    if (nIDEvent == m_nTimerId) {
        // Reading first: with both modes on, each tick reads, then writes.
        TickMode(*this, m_bReading, s_nReadTotal, m_editReadRows, "no SQL string for Reading",
                 [this] { return RefreshTable(); });
        TickMode(*this, m_bUpdating, s_nUpdateTotal, m_editUpdateRows, "no SQL string for Updating",
                 [this] { return RewriteRecords(); });
        if (!m_bReading && !m_bUpdating) {
            KillTimer(m_nTimerId);
            m_nTimerId = 0;
        }
    }
    Default();
}

void CQuillmereDlg::StopModes()
{
    if (m_bReading) OnToggleReading();
    if (m_bUpdating) OnToggleUpdating();
    UpdateTableListState();
}
