#include "catch_lines.h"

CString CatchLine(CException* e)
{
    if (e->IsKindOf(RUNTIME_CLASS(CMemoryException))) return "non DAO--Memory exception thrown.";
    return AfxGetThread() ? "generic catch thread not null" : "generic catch no thread";
}
