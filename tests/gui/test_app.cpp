#include "test_app.h"
#include <gtest/gtest.h>

CTestApp::CTestApp() : CWinApp("Quillmere tests")
{
    AfxWinInit(::GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
}

int CTestApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt)
{
    boxes.push_back({lpszPrompt, nType});
    if (realBoxes) return CWinApp::DoMessageBox(lpszPrompt, nType, nIDPrompt);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected message box: " << lpszPrompt;
        return IDCANCEL;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void CTestApp::Reset()
{
    boxes.clear();
    answers.clear();
    realBoxes = false;
    m_pMainWnd = nullptr;
}

namespace {
CTestApp theTestApp;

struct ModalScript {
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    int idleTicks = 0;
    int retries = 0;
    CDialog* dlg = nullptr;
};
ModalScript* g_script = nullptr;
bool g_retry = false;

void CALLBACK StepProc(HWND, UINT, UINT_PTR, DWORD)
{
    ModalScript* s = g_script;
    if (!s) return;
    if (s->next < s->steps.size()) {
        // A step may open a nested loop that ticks again: advance first.
        size_t index = s->next++;
        auto step = s->steps[index];
        g_retry = false;
        step();
        if (g_retry && s->next == index + 1) {
            s->next = index;
            // A step that waits for ever would hang the test: give up after a while.
            if (++s->retries == 1000) {
                ADD_FAILURE() << "step " << index << " never got ready";
                s->next = s->steps.size();
            }
        }
        return;
    }
    // All steps ran and the dialog is still up: the test did not close it.
    if (++s->idleTicks == 200 && s->dlg->m_hWnd) {
        ADD_FAILURE() << "dialog still open after the last step";
        s->dlg->EndDialog(-2);
    }
}

} // namespace

CTestApp& TestApp() { return theTestApp; }

void RetryStep() { g_retry = true; }

INT_PTR RunModal(CDialog& dlg, std::vector<std::function<void()>> steps)
{
    ModalScript script;
    script.steps = std::move(steps);
    script.dlg = &dlg;
    g_script = &script;
    TestApp().m_pMainWnd = &dlg;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &StepProc);
    INT_PTR result = dlg.DoModal();
    ::KillTimer(nullptr, timer);
    g_script = nullptr;
    TestApp().m_pMainWnd = nullptr;
    EXPECT_EQ(script.next, script.steps.size()) << "the dialog ended before every step ran";
    return result;
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

namespace {
struct FindDialog {
    const char* title;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    auto* f = reinterpret_cast<FindDialog*>(lParam);
    char cls[16] = "", text[128] = "";
    ::GetClassNameA(hWnd, cls, sizeof cls);
    ::GetWindowTextA(hWnd, text, sizeof text);
    if (std::string(cls) == "#32770" && std::string(text) == f->title && ::IsWindowVisible(hWnd)) {
        f->found = hWnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindThreadDialog(const char* title)
{
    FindDialog f = {title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialogProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}
