#include "catch_lines.h"
#include "afxdao.h"

CString CatchLine(CException* e)
{
    if (auto* dao = DYNAMIC_DOWNCAST(CDaoException, e)) return "DAO--Exception: " + dao->GetErrorText();
    if (e->IsKindOf(RUNTIME_CLASS(CMemoryException))) return "non DAO--Memory exception thrown.";
    return AfxGetThread() ? "generic catch thread not null" : "generic catch no thread";
}
