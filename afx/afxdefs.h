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

// The class layer checks its own invariants only where they cost nothing; these
// keep call sites written in the usual style compiling.
#ifndef ASSERT
#define ASSERT(expr) ((void)0)
#endif
#ifndef VERIFY
#define VERIFY(expr) ((void)(expr))
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif
