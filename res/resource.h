// Resource identifiers of Quillmere.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILLMERE_DIALOG 102
#define IDR_MAINFRAME 128

// Controls of the viewer dialog.
#define IDC_DB_PATH 1000
#define IDC_BROWSE 1001
#define IDC_TABLES 1002
#define IDC_READING 1003
#define IDC_READ_ROWS 1004
#define IDC_UPDATING 1005
#define IDC_UPDATE_ROWS 1006
#define IDC_GRID 1007
#define IDC_READ_ONCE 1008
#define IDC_INTERVAL 1009
#define IDC_LOG 1011
#define IDC_REPAIR_DB 1012

// The system-menu command of the about box.
#define IDM_ABOUTBOX 0x0010
