#include "afxmenu.h"
#include "afxwnd.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {
using MenuMap = CHandleMap<HMENU, CMenu, &CMenu::m_hMenu>;
}

CMenu::~CMenu()
{
    // A menu owned by this object goes with it; one merely looked at stays.
    if (m_hMenu && MenuMap::ForThread().LookupPermanent(m_hMenu) == this) DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU hMenu) { return MenuMap::ForThread().FromHandle(hMenu); }

BOOL CMenu::Attach(HMENU hMenu)
{
    if (!hMenu || m_hMenu) return FALSE;
    m_hMenu = hMenu;
    MenuMap::ForThread().SetPermanent(hMenu, this);
    return TRUE;
}

HMENU CMenu::Detach()
{
    HMENU h = m_hMenu;
    if (h) MenuMap::ForThread().RemoveHandle(h);
    m_hMenu = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}
