// CMenu: a menu handle wrapper (the system menu of a window, pop-up menus).
#pragma once
#include "afxhandlemap.h"
#include "afxobject.h"

class CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    HMENU m_hMenu;

    CMenu() : m_hMenu(nullptr) {}
    ~CMenu() override;

    static CMenu* FromHandle(HMENU hMenu);
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    operator HMENU() const { return m_hMenu; }

    BOOL DestroyMenu();
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr)
    { return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem); }
};
