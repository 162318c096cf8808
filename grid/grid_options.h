// Option bits of CDLGridListCtrl::m_dwGridStyle.
#pragma once

#include "afxdefs.h"

// Column 0 is a row header: a raised button face that keyboard moves never enter.
constexpr DWORD GLS_ROWHEADER = 0x0001;
// A small right-pointing triangle in column 0 of the focused row.
constexpr DWORD GLS_ROWMARKER = 0x0002;
// Every cell of a selected row is highlighted; clicks leave no current column.
constexpr DWORD GLS_FULLROWSELECT = 0x0004;
// When the selection column is 0 the whole selected row is highlighted.
constexpr DWORD GLS_COL0SELECTSROW = 0x0008;
// The editor factories create editors and clicks may request an edit.
constexpr DWORD GLS_EDITABLE = 0x0010;
// "TRUE"/"FALSE" cells (any case) are drawn as check boxes.
constexpr DWORD GLS_BOOLCHECKS = 0x0020;
// The horizontal grid line is drawn only under the last row.
constexpr DWORD GLS_NOHORZLINES = 0x0040;
// The vertical grid line is drawn only right of the last column.
constexpr DWORD GLS_NOVERTLINES = 0x0080;
// The grid answers the list's text requests (LVN_GETDISPINFO).
constexpr DWORD GLS_TEXTCALLBACK = 0x0100;
// With GLS_EDITABLE, one click on a cell requests the editor.
constexpr DWORD GLS_EDITONCLICK = 0x0200;
// Enter in the grid requests the editor for the focus cell and is consumed.
constexpr DWORD GLS_ENTEREDITS = 0x0400;
