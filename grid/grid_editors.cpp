// The grid's links to the flat header and its in-place editor
// factories. The grid's own code calls no factory: they serve
// classes built on the grid, and create nothing unless GLS_EDITABLE is set.
// An editor whose window cannot be made is null; its object is gone with the
// failed creation (an editor deletes itself in PostNcDestroy).
#include "grid_list_ctrl.h"

#include "button_ipe.h"
#include "combo_box_ipe.h"
#include "date_time_ipe.h"
#include "edit_ipe.h"
#include "flat_hdr_ctrl.h"
#include "ipe_common.h"
#include "spinner_ipe.h"

void CDLGridListCtrl::AttachFlatHeader()
{
    const HWND hWndHeader = GetHeaderHwnd();
    if (hWndHeader == nullptr || m_pFlatHeader != nullptr) return;
    m_pFlatHeader = IpeNew<CFlatHdrCtrl>();
    m_pFlatHeader->SubclassHeader(hWndHeader);
}

void CDLGridListCtrl::DestroyFlatHeader()
{
    delete m_pFlatHeader;
    m_pFlatHeader = nullptr;
}

namespace {

// The cell's label rectangle moved by (-1, -1), with a positive width replacing its own.
CRect EditorRect(const CDLGridListCtrl& grid, int nRow, int nCol, int nWidth)
{
    CRect rect;
    grid.GetSubItemRect(nRow, nCol, LVIR_LABEL, rect);
    rect.OffsetRect(-1, -1);
    if (nWidth > 0) rect.right = rect.left + nWidth;
    return rect;
}

// The text, all of it selected, the caret in view and the focus: how the edit and
// spinner editors start.
void StartTextBox(CEditIPE* pEdit, LPCTSTR pszText)
{
    pEdit->SetWindowText(pszText);
    pEdit->SetSel(0, pEdit->GetWindowTextLength(), TRUE);
    pEdit->SendMessage(EM_SCROLLCARET);
    pEdit->SetFocus();
}

constexpr DWORD kSpinWidth = 17;

} // namespace

CComboBoxIPE* CDLGridListCtrl::CreateComboEditor(int nRow, int nCol, DWORD dwStyle, LPARAM /*lUnused*/,
                                                 int nWidth)
{
    if (!(m_dwGridStyle & GLS_EDITABLE)) return nullptr;
    CRect rect = EditorRect(*this, nRow, nCol, 0);
    rect.bottom += 150; // the text line and the dropped list
    if (nWidth > 0) rect.right = rect.left + nWidth;
    CComboBoxIPE* pCombo = IpeNew<CComboBoxIPE>(nRow, nCol);
    const DWORD dwAll = dwStyle | WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL;
    if (!pCombo->Create("COMBOBOX", nullptr, dwAll, rect, this, 1)) return nullptr;
    pCombo->SetCurSel(-1);
    pCombo->SetFocus();
    return pCombo;
}

CEditIPE* CDLGridListCtrl::CreateEditEditor(int nRow, int nCol, DWORD dwStyle, LPCTSTR pszText, int nWidth)
{
    if (!(m_dwGridStyle & GLS_EDITABLE)) return nullptr;
    const CRect rect = EditorRect(*this, nRow, nCol, nWidth);
    CEditIPE* pEdit = IpeNew<CEditIPE>(nRow, nCol);
    const DWORD dwAll = dwStyle | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
    if (!pEdit->Create("EDIT", nullptr, dwAll, rect, this, 0)) return nullptr;
    StartTextBox(pEdit, pszText);
    return pEdit;
}

CEditIPE* CDLGridListCtrl::CreateSpinnerEditor(int nRow, int nCol, DWORD dwStyle, int nLower, int nUpper,
                                               LPCTSTR pszText, int nWidth)
{
    if (!(m_dwGridStyle & GLS_EDITABLE)) return nullptr;
    CRect rect = EditorRect(*this, nRow, nCol, nWidth);
    rect.right -= kSpinWidth;
    CEditIPE* pEdit = IpeNew<CEditIPE>(nRow, nCol);
    if (!pEdit->Create("EDIT", nullptr, dwStyle | WS_CHILD | WS_VISIBLE | WS_BORDER, rect, this, 0))
        return nullptr;

    // The spin button lies right of the text box, created after it (so below it
    // in the z-order, where the text box's focus loss finds and closes it).
    CRect rcSpin = rect;
    rcSpin.left = rect.right;
    rcSpin.right = rect.right + kSpinWidth;
    CSpinnerIPE* pSpin = IpeNew<CSpinnerIPE>();
    const DWORD dwSpin = WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_NOTHOUSANDS | UDS_SETBUDDYINT;
    if (!pSpin->Create(UPDOWN_CLASSA, nullptr, dwSpin, rcSpin, this, 0)) {
        // No spinner without its button: the text box goes too (and deletes
        // itself with its window, as the spin button object already did).
        pEdit->DestroyWindow();
        return nullptr;
    }
    pSpin->SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(nLower), static_cast<LPARAM>(nUpper));
    pSpin->SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(pEdit->m_hWnd));
    StartTextBox(pEdit, pszText);
    return pEdit;
}

CButtonIPE* CDLGridListCtrl::CreateButtonEditor(int nRow, int nCol, DWORD dwStyle, LPCTSTR pszCaption, int nWidth,
                                                UINT nID)
{
    if (!(m_dwGridStyle & GLS_EDITABLE)) return nullptr;
    CRect rect;
    GetSubItemRect(nRow, nCol, LVIR_LABEL, rect);
    rect.left = rect.right - (nWidth > 0 ? nWidth : static_cast<int>(kSpinWidth));
    rect.OffsetRect(-2, 1);
    rect.bottom -= 3;
    CButtonIPE* pButton = IpeNew<CButtonIPE>(nRow, nCol);
    if (!pButton->Create("BUTTON", pszCaption, dwStyle | WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, rect, this, nID))
        return nullptr;
    pButton->SetFocus();
    return pButton;
}

CDateTimeIPE* CDLGridListCtrl::CreateDateTimeEditor(int nRow, int nCol, DWORD dwStyle, SYSTEMTIME stInitial,
                                                    LPCTSTR pszFormat, int nWidth)
{
    if (!(m_dwGridStyle & GLS_EDITABLE)) return nullptr;
    CRect rect;
    GetSubItemRect(nRow, nCol, LVIR_LABEL, rect);
    rect.InflateRect(2, 2);
    rect.right -= 1;
    rect.bottom -= 1;
    if (nWidth > 0) rect.right = rect.left + nWidth;
    CDateTimeIPE* pDateTime = IpeNew<CDateTimeIPE>(nRow, nCol);
    if (!pDateTime->Create(DATETIMEPICK_CLASSA, nullptr, dwStyle | WS_CHILD | WS_VISIBLE, rect, this, 0))
        return nullptr;
    pDateTime->SetFormat(pszFormat);
    pDateTime->SetTime(&stInitial);
    pDateTime->SetFocus();
    return pDateTime;
}
