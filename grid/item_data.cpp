#include "item_data.h"

IMPLEMENT_DYNAMIC(CSubItemData, CObject)
IMPLEMENT_DYNAMIC(CItemData, CObject)

CSubItemData::CSubItemData()
    : m_crText(RGB(0, 0, 0)),
      m_crBk(RGB(255, 255, 255)),
      m_crSelText(RGB(255, 255, 255)),
      m_crSelBk(RGB(0, 0, 0)),
      m_dwUser1(0),
      m_dwUser2(0),
      m_nImage(-1)
{
}

CItemData::CItemData() : m_dwUser1(0), m_dwUser2(0), m_mapCells(10) {}

CItemData::~CItemData()
{
    DeleteAllCells();
}

CSubItemData* CItemData::GetCell(int nCol) const
{
    CObject* pCell = nullptr;
    if (!m_mapCells.Lookup(static_cast<WORD>(nCol), pCell)) return nullptr;
    return static_cast<CSubItemData*>(pCell);
}

BOOL CItemData::SetCell(int nCol, const CSubItemData* pTemplate)
{
    if (pTemplate == nullptr) return FALSE;
    DeleteCell(nCol);
    CSubItemData* pCell = new CSubItemData;
    pCell->m_crText = pTemplate->m_crText;
    pCell->m_crBk = pTemplate->m_crBk;
    pCell->m_crSelText = pTemplate->m_crSelText;
    pCell->m_crSelBk = pTemplate->m_crSelBk;
    pCell->m_dwUser1 = pTemplate->m_dwUser1;
    pCell->m_dwUser2 = pTemplate->m_dwUser2;
    pCell->m_nImage = pTemplate->m_nImage;
    m_mapCells.SetAt(static_cast<WORD>(nCol), pCell);
    return TRUE;
}

BOOL CItemData::DeleteCell(int nCol)
{
    const WORD key = static_cast<WORD>(nCol);
    CObject* pCell = nullptr;
    if (!m_mapCells.Lookup(key, pCell)) return FALSE;
    m_mapCells.RemoveKey(key);
    if (pCell == nullptr) return FALSE;
    delete pCell;
    return TRUE;
}

void CItemData::DeleteAllCells()
{
    POSITION pos = m_mapCells.GetStartPosition();
    while (pos != nullptr) {
        WORD key = 0;
        CObject* pCell = nullptr;
        m_mapCells.GetNextAssoc(pos, key, pCell);
        delete pCell;
    }
    m_mapCells.RemoveAll();
}
