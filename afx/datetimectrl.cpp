#include "afxdatetimectrl.h"

IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)
