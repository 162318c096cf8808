#include "afxcombobox.h"

IMPLEMENT_DYNAMIC(CComboBox, CWnd)

void CComboBox::GetLBText(int nIndex, CString& rString) const
{
    const int n = GetLBTextLen(nIndex);
    if (n < 0) {
        rString.Empty();
        return;
    }
    const int got = GetLBText(nIndex, rString.GetBufferSetLength(n));
    rString.ReleaseBuffer(got < 0 ? 0 : got);
}
