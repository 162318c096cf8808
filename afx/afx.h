// Quillmere's own Windows class layer: the application, window, dialog, control,
// string and drawing classes the program is written against, with the usual
// names and calling conventions, built directly on Win32 (ANSI).
//
// Where things are:
//   afxdefs.h      windows.h/commctrl.h configuration, afx_msg
//   afxtypes.h     CPoint, CSize, CRect
//   afxstr.h       CString (ANSI; Format, LoadString, GetBufferSetLength/ReleaseBuffer)
//   afxobject.h    CObject, CRuntimeClass, DECLARE_/IMPLEMENT_DYNAMIC and _DYNCREATE,
//                  RUNTIME_CLASS, IsKindOf, DYNAMIC_DOWNCAST
//   afxexcept.h    CException (thrown as pointers, released with Delete()),
//                  CMemoryException, AfxThrowMemoryException
//   afxmsgmap.h    message-map tables and macros (DECLARE_MESSAGE_MAP, BEGIN_/END_MESSAGE_MAP,
//                  ON_COMMAND, ON_BN_CLICKED, ON_NOTIFY, ON_NOTIFY_REFLECT, ON_CONTROL_REFLECT,
//                  ON_MESSAGE, ...), handler signatures, CCmdTarget
//   afxhandlemap.h per-thread handle -> object maps (permanent and temporary objects)
//   afxwnd.h       CWnd (handle map, subclassing, creation, WindowProc/OnWndMsg/Default,
//                  PreTranslateMessage, OnCommand/OnNotify, OnChildNotify reflection,
//                  PostNcDestroy), CScrollBar, the ON_WM_* and ON_WM_*_REFLECT entries
//   afxmenu.h      CMenu
//   afxdc.h        CDC, CPaintDC, CClientDC, CWindowDC
//   afxdlg.h       CDialog (own modal loop), CDataExchange, DDX_Control
//   afxctrls.h     CStatic, CButton, CEdit, CListBox
//   afxcmn.h       CListCtrl, CHeaderCtrl, CSpinButtonCtrl
//   afxcombobox.h  CComboBox
//   afxdatetimectrl.h CDateTimeCtrl
//   afxtooltipctrl.h  CToolTipCtrl (a window's own tool-tip control)
//   afxfiledlg.h   CFileDialog (the system's open and save dialogs)
//   afxwaitcursor.h CWaitCursor (the hourglass while a command works)
//   afxstrarray.h  CStringArray
//   afxole.h       COleVariant, COleDateTime (automation values, over oleaut32)
//   afxapp.h       CWinThread, CWinApp, AfxGetApp/AfxGetThread/AfxGetMainWnd, AfxMessageBox
//                  (through the overridable CWinApp::DoMessageBox), AfxWinMain
//   winmain.cpp    WinMain, linked into the program (target afx_main)
#pragma once
#include "afxdefs.h"
#include "afxtypes.h"
#include "afxstr.h"
#include "afxobject.h"
#include "afxexcept.h"
#include "afxmsgmap.h"
#include "afxhandlemap.h"
#include "afxwnd.h"
#include "afxmenu.h"
#include "afxdc.h"
#include "afxdlg.h"
#include "afxctrls.h"
#include "afxcmn.h"
#include "afxcombobox.h"
#include "afxdatetimectrl.h"
#include "afxtooltipctrl.h"
#include "afxfiledlg.h"
#include "afxwaitcursor.h"
#include "afxstrarray.h"
#include "afxole.h"
#include "afxapp.h"
