// The application object of the Windows test programs and the helpers that let a
// test drive real dialogs: answering message boxes, running a modal dialog with a
// script of steps, and taking screenshots.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>
#include "afx.h"

struct RecordedBox {
    std::string text;
    UINT type;
};

// Message boxes of the program come here (AfxMessageBox -> DoMessageBox): each is
// recorded and answered with the next queued answer. With real boxes on, the
// program's own message box is shown; a step can find it (FindThreadDialog) and
// answer it.
class CTestApp : public CWinApp {
public:
    CTestApp();
    int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt) override;

    std::vector<RecordedBox> boxes;
    std::deque<int> answers;
    bool realBoxes = false;

    void Reset();
};

CTestApp& TestApp();

// Runs the dialog modally as the program's main window. Each step runs from the
// dialog's message loop (or from the loop of a box or dialog it opened), after
// the messages posted by the step before have been handled. A dialog still open
// a while after the last step is ended with -2 and the test fails. The steps run
// from a thread timer, so they also run while a nested loop (a real message box,
// another dialog) waits for input.
INT_PTR RunModal(CDialog& dlg, std::vector<std::function<void()>> steps);

// Called by a step that is not ready yet (say, a window it waits for is not up):
// the same step runs again on the next tick. Only for steps that open no loop.
void RetryStep();

// Handles the messages that are waiting, without blocking.
void PumpMessages();
// The visible top-level #32770 window (dialog or message box) of this thread with
// the given title, or NULL.
HWND FindThreadDialog(const char* title);
// Saves the window as it is on screen (caption included) as a PNG file.
bool SaveWindowPng(HWND hWnd, const char* path);
