// Row height and owner drawing: each row is painted cell by cell into the
// shared off-screen bitmap and copied to the screen in one transfer.
#include <mbstring.h>

#include "grid_list_ctrl.h"
#include <vector>
#include "row_cache.h"

namespace {

constexpr UINT kTextFormat = DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER;

// Which window has the keyboard focus is a question to the window system; the
// answer cannot change while one row is painted, so DrawItem asks once.
thread_local const HWND* t_pFocusWhileDrawing = nullptr;

class CFocusForRow {
public:
    CFocusForRow() : m_hFocus(::GetFocus()), m_pOuter(t_pFocusWhileDrawing)
    {
        t_pFocusWhileDrawing = &m_hFocus;
    }
    ~CFocusForRow() { t_pFocusWhileDrawing = m_pOuter; }
    CFocusForRow(const CFocusForRow&) = delete;
    CFocusForRow& operator=(const CFocusForRow&) = delete;

private:
    HWND m_hFocus;
    const HWND* m_pOuter;
};

bool HasFocus(HWND hWnd)
{
    return (t_pFocusWhileDrawing ? *t_pFocusWhileDrawing : ::GetFocus()) == hWnd;
}

bool SameTextIgnoringCase(const CString& strText, const char* pszWord)
{
    return _mbsicmp(reinterpret_cast<const unsigned char*>(static_cast<LPCTSTR>(strText)),
                    reinterpret_cast<const unsigned char*>(pszWord)) == 0;
}

// The image list hImages when it holds image nImage, whose size then is in
// info; NULL when the cell has no image to draw.
HIMAGELIST CellImageList(HIMAGELIST hImages, int nImage, IMAGEINFO& info)
{
    if (hImages == nullptr || nImage < 0 || !ImageList_GetImageInfo(hImages, nImage, &info)) return nullptr;
    return hImages;
}

} // namespace

LRESULT CDLGridListCtrl::PaintWithFacts(WPARAM wParam, LPARAM lParam)
{
    CPaintFacts facts;
    // The facts end with the paint, however it ends.
    struct CRestore {
        CPaintFacts*& pPaint;
        CPaintFacts* pOuter;
        ~CRestore() { pPaint = pOuter; }
    } restore{m_pPaint, m_pPaint};
    m_pPaint = &facts;
    return CListCtrl::WindowProc(WM_PAINT, wParam, lParam);
}

int CDLGridListCtrl::ItemCountNow() const
{
    return AskedOnce(m_pPaint != nullptr ? &m_pPaint->nItems : nullptr, [&] { return GetItemCount(); });
}

int CDLGridListCtrl::FocusedRow() const
{
    return AskedOnce(m_pPaint != nullptr ? &m_pPaint->nFocused : nullptr,
                     [&] { return GetNextItem(-1, LVNI_FOCUSED); });
}

HIMAGELIST CDLGridListCtrl::SmallImages() const
{
    return AskedOnce(m_pPaint != nullptr ? &m_pPaint->hImages : nullptr,
                     [&] { return ListView_GetImageList(m_hWnd, LVSIL_SMALL); });
}

UINT CDLGridListCtrl::RowState(int nRow, UINT nMask) const
{
    if (m_pPaint == nullptr) return GetItemState(nRow, nMask);
    if (m_pPaint->nStateRow != nRow || m_pPaint->nStateMask != nMask) {
        m_pPaint->nState = GetItemState(nRow, nMask);
        m_pPaint->nStateRow = nRow;
        m_pPaint->nStateMask = nMask;
    }
    return m_pPaint->nState;
}

BOOL CDLGridListCtrl::SubItemRect(int nRow, int nCol, int nArea, CRect& rect) const
{
    // The first column's place can differ from row to row (indents, state
    // images); the others' only by the row's own top.
    CPaintFacts* p = m_pPaint;
    if (p == nullptr || nCol <= 0 || (nArea != LVIR_BOUNDS && nArea != LVIR_LABEL))
        return GetSubItemRect(nRow, nCol, nArea, rect);
    if (p->nTopRow != nRow) {
        CRect rcRow;
        if (!GetItemRect(nRow, &rcRow, LVIR_BOUNDS)) return GetSubItemRect(nRow, nCol, nArea, rect);
        p->nTopRow = nRow;
        p->nTop = rcRow.top;
    }
    if (static_cast<size_t>(nCol) >= p->places.size()) p->places.resize(static_cast<size_t>(nCol) + 1);
    std::optional<CRect>& place = p->places[static_cast<size_t>(nCol)].rect[nArea == LVIR_BOUNDS ? 0 : 1];
    if (!place) {
        if (!GetSubItemRect(nRow, nCol, nArea, rect)) return FALSE;
        place = rect;
        place->OffsetRect(0, -p->nTop);
        return TRUE;
    }
    rect = *place;
    rect.OffsetRect(0, p->nTop);
    return TRUE;
}

void CDLGridListCtrl::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    HFONT hFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HDC hdc = ::GetDC(nullptr);
    HGDIOBJ hOldFont = hFont != nullptr ? ::SelectObject(hdc, hFont) : nullptr;
    TEXTMETRIC tm{};
    ::GetTextMetrics(hdc, &tm);
    if (hOldFont != nullptr) ::SelectObject(hdc, hOldFont);
    ::ReleaseDC(nullptr, hdc);
    lpMeasureItemStruct->itemHeight =
        static_cast<UINT>(m_nExtraRowHeight + tm.tmHeight + tm.tmExternalLeading + 1);
}

BOOL CDLGridListCtrl::IsCellHighlighted(int nRow, int nCol) const
{
    if (RowState(nRow, LVIS_SELECTED | LVIS_DROPHILITED) == 0) return FALSE;
    if (m_dwGridStyle & GLS_FULLROWSELECT) return TRUE;
    if ((m_dwGridStyle & GLS_COL0SELECTSROW) && m_nSelCol == 0) return TRUE;
    return nCol == m_nSelCol;
}

UINT CDLGridListCtrl::GetColumnDrawFormat(int nCol) const
{
    if (nCol < 0) return DT_LEFT;
    const auto ask = [&]() -> UINT {
        LVCOLUMN column{};
        column.mask = LVCF_FMT;
        if (!GetColumn(nCol, &column)) return DT_LEFT;
        switch (column.fmt & LVCFMT_JUSTIFYMASK) {
            case LVCFMT_RIGHT:
                return DT_RIGHT;
            case LVCFMT_CENTER:
                return DT_CENTER;
            default:
                return DT_LEFT;
        }
    };
    if (m_pPaint == nullptr) return ask();
    std::vector<std::optional<UINT>>& formats = m_pPaint->formats;
    if (static_cast<size_t>(nCol) >= formats.size()) formats.resize(static_cast<size_t>(nCol) + 1);
    return AskedOnce(&formats[static_cast<size_t>(nCol)], ask);
}

void CDLGridListCtrl::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct == nullptr || lpDrawItemStruct->CtlType != ODT_LISTVIEW ||
        lpDrawItemStruct->itemAction != ODA_DRAWENTIRE)
        return;
    CDC* pTarget = CDC::FromHandle(lpDrawItemStruct->hDC);
    const int nRow = static_cast<int>(lpDrawItemStruct->itemID);
    const CRect rcItem(lpDrawItemStruct->rcItem);
    const int nWidth = rcItem.Width();
    const int nHeight = rcItem.Height();

    const CFocusForRow focus;
    CDC* pMemDC = CGridRowCache::Get().Prepare(pTarget, nWidth, nHeight);
    const int nSaved = pMemDC->SaveDC();
    pMemDC->SetWindowOrg(rcItem.left, rcItem.top);
    pMemDC->SelectObject(pTarget->GetCurrentFont());
    pMemDC->FillSolidRect(&rcItem, GetBkColor());
    // Cells wholly outside what the target lets through would be copied
    // nowhere: a wide row of many columns draws only the ones in view.
    CRect rcVisible;
    const int nClip = ::GetClipBox(lpDrawItemStruct->hDC, &rcVisible);
    if (nClip == ERROR) rcVisible = rcItem;
    else if (nClip == NULLREGION) rcVisible.SetRectEmpty();
    const int nColumns = GetColumnCount();
    // Each cell's place is a message to the list: they are asked in the
    // order the columns stand on screen, and no further than the first
    // column past the right edge. (The first column's bounds are the whole
    // row's, and never past it.) Cells are drawn in their columns' order.
    std::vector<int> order(static_cast<size_t>(nColumns));
    std::vector<char> inView(static_cast<size_t>(nColumns), 0);
    const bool bOrdered =
        nColumns > 0 && ::SendMessage(m_hWnd, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(nColumns),
                                      reinterpret_cast<LPARAM>(order.data())) != 0;
    for (int k = 0; k < nColumns; ++k) {
        const int c = bOrdered ? order[static_cast<size_t>(k)] : k;
        if (c < 0 || c >= nColumns) continue;
        CRect rcCell;
        if (!SubItemRect(nRow, c, LVIR_BOUNDS, rcCell)) {
            inView[static_cast<size_t>(c)] = 1;
            continue;
        }
        if (rcCell.left > rcVisible.right) {
            if (bOrdered) break;
            continue;
        }
        if (rcCell.right >= rcVisible.left) inView[static_cast<size_t>(c)] = 1;
    }
    for (int c = 0; c < nColumns; ++c)
        if (inView[static_cast<size_t>(c)]) DrawCell(nRow, c, pMemDC);
    DrawFocusCell(nRow, pMemDC);
    pTarget->BitBlt(rcItem.left, rcItem.top, nWidth, nHeight, pMemDC, rcItem.left, rcItem.top, SRCCOPY);
    pMemDC->RestoreDC(nSaved);
}

CRect CDLGridListCtrl::GetCellRect(int nRow, int nCol) const
{
    CRect rcCell(0, 0, 0, 0);
    SubItemRect(nRow, nCol, LVIR_LABEL, rcCell);
    if (nCol == 0) {
        // The list's bounds of sub-item 0 are the whole row; the cell is the
        // icon and the label.
        CRect rcIcon(0, 0, 0, 0);
        GetSubItemRect(nRow, 0, LVIR_ICON, rcIcon);
        rcCell.left = rcIcon.left;
    }
    return rcCell;
}

BOOL CDLGridListCtrl::GetCellTextRect(int nRow, int nCol, const CRect& rcCell, CDC* pDC, CRect& rcText) const
{
    rcText = rcCell;
    IMAGEINFO info{};
    if (CellImageList(SmallImages(), GetCellImage(nRow, nCol), info) != nullptr)
        rcText.left += info.rcImage.right - info.rcImage.left;
    const int nSpace = pDC->GetTextExtent(" ", 1).cx;
    rcText.left += nSpace;
    rcText.right -= 2 * nSpace;
    rcText.NormalizeRect();
    return rcText.left >= rcCell.left;
}

void CDLGridListCtrl::DrawCell(int nRow, int nCol, CDC* pDC)
{
    if (pDC == nullptr) return;
    const CRect rcCell = GetCellRect(nRow, nCol);
    BOOL bHighlighted = IsCellHighlighted(nRow, nCol);
    if (!(GetStyle() & LVS_SHOWSELALWAYS) && !HasFocus(m_hWnd)) bHighlighted = FALSE;
    DrawCellBackground(nRow, nCol, rcCell, bHighlighted, pDC);
    DrawCellContent(nRow, nCol, rcCell, bHighlighted, pDC);
}

void CDLGridListCtrl::DrawCellBackground(int nRow, int nCol, const CRect& rect, BOOL bHighlighted, CDC* pDC)
{
    if (pDC == nullptr) return;
    const int nSaved = pDC->SaveDC();
    const COLORREF crBk = bHighlighted ? GetCellSelBkColor(nRow, nCol) : GetCellBkColor(nRow, nCol);
    CRect r = rect;
    if (nCol == 0) r.left -= ::GetSystemMetrics(SM_CXEDGE);
    CBrush brBk(crBk);
    pDC->FillRect(&r, &brBk);

    pDC->SelectObject(&m_penGrid);
    const BOOL bNoHorz = (m_dwGridStyle & GLS_NOHORZLINES) != 0;
    const BOOL bNoVert = (m_dwGridStyle & GLS_NOVERTLINES) != 0;
    const BOOL bLastRow = nRow == ItemCountNow() - 1;
    const BOOL bLastCol = nCol == GetColumnCount() - 1;
    if (!bNoHorz || (bLastRow && !bNoVert)) {
        pDC->MoveTo(r.left - 1, r.bottom - 1);
        pDC->LineTo(r.right - 1, r.bottom - 1);
    }
    if (!bNoVert || (bLastCol && !bNoHorz)) {
        pDC->MoveTo(r.right - 1, r.bottom - 1);
        pDC->LineTo(r.right - 1, r.top - 1);
    }

    if (nCol == 0 && (m_dwGridStyle & GLS_ROWHEADER)) {
        pDC->FillSolidRect(&r, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        r.right -= 1;
        r.bottom -= 1;
        pDC->FillSolidRect(&r, ::GetSysColor(COLOR_BTNFACE));
        pDC->Draw3dRect(&r, ::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_BTNSHADOW));
    }

    if (nCol == 0 && (m_dwGridStyle & GLS_ROWMARKER) && FocusedRow() == nRow) {
        COLORREF crMarker;
        if (m_dwGridStyle & GLS_ROWHEADER)
            crMarker = ::GetSysColor(COLOR_BTNTEXT);
        else if (IsCellHighlighted(nRow, 0))
            crMarker = GetCellSelTextColor(nRow, 0);
        else
            crMarker = GetCellTextColor(nRow, 0);
        // A right-pointing triangle drawn as shrinking one-pixel columns.
        CRect m = rect;
        m.DeflateRect(1, 1);
        const int nHalf = m.Height() / 2;
        const int nQuarter = nHalf / 2;
        CRect bar(m.right - nQuarter - 5, m.top + nQuarter, m.right - nQuarter - 4, m.top + nQuarter + nHalf);
        CBrush brMarker(crMarker);
        while (!bar.IsRectEmpty() && bar.Height() >= 1) {
            pDC->FillRect(&bar, &brMarker);
            bar.OffsetRect(1, 0);
            bar.top += 1;
            bar.bottom -= 1;
        }
    }
    pDC->RestoreDC(nSaved);
}

void CDLGridListCtrl::DrawCellContent(int nRow, int nCol, const CRect& rect, BOOL bHighlighted, CDC* pDC)
{
    if (pDC == nullptr || rect.IsRectEmpty()) return;
    const int nSaved = pDC->SaveDC();
    const COLORREF crCellText = bHighlighted ? GetCellSelTextColor(nRow, nCol) : GetCellTextColor(nRow, nCol);
    const COLORREF crText =
        (nCol == 0 && (m_dwGridStyle & GLS_ROWHEADER)) ? ::GetSysColor(COLOR_BTNTEXT) : crCellText;
    CRect t = rect;
    CString strText;
    GetCellText(nRow, nCol, strText);
    const int nImage = GetCellImage(nRow, nCol);

    IMAGEINFO info{};
    if (HIMAGELIST hImages = CellImageList(SmallImages(), nImage, info)) {
        const int nImageWidth = info.rcImage.right - info.rcImage.left;
        const int nImageHeight = info.rcImage.bottom - info.rcImage.top;
        ImageList_Draw(hImages, nImage, pDC->GetSafeHdc(), rect.left,
                       rect.top + rect.Height() / 2 - nImageHeight / 2, ILD_TRANSPARENT);
        t.left += nImageWidth;
    }

    const bool bCheckText = SameTextIgnoringCase(strText, "TRUE");
    if ((m_dwGridStyle & GLS_BOOLCHECKS) && (bCheckText || SameTextIgnoringCase(strText, "FALSE"))) {
        const int cx = (t.left + t.right) / 2;
        const int cy = (t.top + t.bottom) / 2;
        CRect box(cx - 6, cy - 6, cx + 5, cy + 5);
        CPen penCheck(PS_SOLID, 1, crCellText);
        CPen* pOldPen = pDC->SelectObject(&penCheck);
        pDC->Rectangle(&box);
        pDC->PatBlt(box.left, box.top, box.Width(), box.Height(), BLACKNESS);
        box.DeflateRect(1, 1);
        pDC->FillSolidRect(&box, bHighlighted ? GetCellSelBkColor(nRow, nCol) : GetCellBkColor(nRow, nCol));
        if (bCheckText) {
            // The tick: three strokes down to the left, four up to the right.
            for (int i = 0; i < 3; ++i) {
                pDC->MoveTo(box.left + 1 + i, box.top + 3 + i);
                pDC->LineTo(box.left + 1 + i, box.top + 6 + i);
            }
            for (int i = 0; i < 4; ++i) {
                pDC->MoveTo(box.left + 4 + i, box.top + 4 - i);
                pDC->LineTo(box.left + 4 + i, box.top + 7 - i);
            }
        }
        pDC->SelectObject(pOldPen);
    } else {
        pDC->SetBkMode(TRANSPARENT);
        pDC->SetTextColor(crText);
        CRect rcText;
        if (GetCellTextRect(nRow, nCol, rect, pDC, rcText))
            pDC->DrawText(strText, -1, &rcText, GetColumnDrawFormat(nCol) | kTextFormat);
    }
    pDC->RestoreDC(nSaved);
}

void CDLGridListCtrl::DrawFocusCell(int nRow, CDC* pDC)
{
    if (pDC == nullptr) return;
    CRect rcFocus(0, 0, 0, 0);
    const int c = m_nFocusCol;
    if (HasFocus(m_hWnd) && FocusedRow() == nRow) {
        if ((m_dwGridStyle & GLS_FULLROWSELECT) || ((m_dwGridStyle & GLS_COL0SELECTSROW) && c == 0)) {
            GetItemRect(nRow, &rcFocus, LVIR_BOUNDS);
            if (m_dwGridStyle & GLS_ROWHEADER) {
                CRect rcLabel(0, 0, 0, 0);
                CRect rcIcon(0, 0, 0, 0);
                GetSubItemRect(nRow, 0, LVIR_LABEL, rcLabel);
                GetSubItemRect(nRow, 0, LVIR_ICON, rcIcon);
                rcFocus.left += rcLabel.Width() + rcIcon.Width();
            } else {
                rcFocus.left -= ::GetSystemMetrics(SM_CXEDGE);
            }
        } else if (c >= 0 && !((m_dwGridStyle & GLS_ROWHEADER) && c == 0)) {
            SubItemRect(nRow, c, LVIR_LABEL, rcFocus);
            if (c == 0) {
                CRect rcIcon(0, 0, 0, 0);
                GetSubItemRect(nRow, 0, LVIR_ICON, rcIcon);
                rcFocus.left = rcIcon.left;
            }
        }
    }
    if (rcFocus.IsRectEmpty()) return;
    rcFocus.DeflateRect(2, 2);
    pDC->DrawFocusRect(&rcFocus);
}
