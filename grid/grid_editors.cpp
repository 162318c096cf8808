// The grid's links to the flat header and the in-place editors. The grid
// works without both: until they exist it keeps the list's own header and the
// factories create nothing.
#include "grid_list_ctrl.h"

void CDLGridListCtrl::AttachFlatHeader() {}

void CDLGridListCtrl::DestroyFlatHeader()
{
    m_pFlatHeader = nullptr;
}

CComboBoxIPE* CDLGridListCtrl::CreateComboEditor(int, int, DWORD, LPARAM, int)
{
    return nullptr;
}

CEditIPE* CDLGridListCtrl::CreateEditEditor(int, int, DWORD, LPCTSTR, int)
{
    return nullptr;
}

CEditIPE* CDLGridListCtrl::CreateSpinnerEditor(int, int, DWORD, int, int, LPCTSTR, int)
{
    return nullptr;
}

CButtonIPE* CDLGridListCtrl::CreateButtonEditor(int, int, DWORD, LPCTSTR, int, UINT)
{
    return nullptr;
}

CDateTimeIPE* CDLGridListCtrl::CreateDateTimeEditor(int, int, DWORD, SYSTEMTIME, LPCTSTR, int)
{
    return nullptr;
}
