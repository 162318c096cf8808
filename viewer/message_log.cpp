// The message log: the read-only multi-line edit at the foot of the viewer.
#include <cstdint>
#include "catch_lines.h"
#include "quillmere_dlg.h"

void CQuillmereDlg::LogMessage(const CString& strMessage)
{
    CString line = strMessage + "\r\n";
    const uint32_t cur = static_cast<uint32_t>(m_editLog.GetWindowTextLength());
    const uint32_t limit = m_editLog.GetLimitText();
    // Three quarters of the limit, in 32-bit unsigned arithmetic (3 * L may wrap).
    const uint32_t keep = static_cast<uint32_t>(3u * limit) / 4u;

    if (static_cast<uint32_t>(line.GetLength()) >= keep) line = line.Right(static_cast<int>(keep));
    if (static_cast<uint32_t>(line.GetLength()) + cur >= limit) {
        CString text;
        m_editLog.GetWindowText(text);
        m_editLog.SetWindowText("");
        line = (text + line).Right(static_cast<int>(keep));
    }
    m_editLog.SetSel(-1, -1);  // no selection, caret kept, scrolled into view
    m_editLog.ReplaceSel(line, FALSE);
    m_editLog.SetSel(-1, -1);
}

void CQuillmereDlg::LogException(CException* e)
{
    LogMessage(CatchLine(e));
    e->Delete();
}
