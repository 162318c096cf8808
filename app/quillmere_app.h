// The application object: runs the viewer dialog as the whole program.
#pragma once
#include "afx.h"

class CQuillmereApp : public CWinApp {
public:
    CQuillmereApp() = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CQuillmereApp theApp;
