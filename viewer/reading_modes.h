// The running totals of the reading and updating modes: rows read and rows
// written since a tick last found the mode off. Process-wide, zero at start.
#pragma once
#include <windows.h>

extern DWORD s_nReadTotal;
extern DWORD s_nUpdateTotal;
