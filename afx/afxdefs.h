// Platform headers and the few definitions every part of the class layer shares.
#pragma once

#ifndef STRICT
#define STRICT
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <tchar.h>

// Marks message handlers in class declarations; expands to nothing.
#define afx_msg
