// The class layer's message routing: map chains, reflection of child
// notifications, pre-translation in the modal loop, escaped exceptions, and the
// lifetime of window objects.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>
#include "afx.h"
#include "resource.h"
#include "test_app.h"

namespace {
std::vector<std::string> g_calls;

constexpr int kReflecting = 100, kPlain = 101, kOwnerDraw = 102;
constexpr UINT kCustomCode = 0x7000;  // a notification code of our own

// A button that handles its own notifications.
class CReflectingButton : public CButton {
public:
    BOOL passClickOn = FALSE;
    afx_msg BOOL OnClicked() { g_calls.push_back("child clicked"); return !passClickOn; }
    afx_msg void OnCustom(NMHDR*, LRESULT* pResult) { g_calls.push_back("child notify"); *pResult = 42; }
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) { g_calls.push_back("child draw " + std::to_string(lpDIS->CtlID)); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
    ON_NOTIFY_REFLECT(kCustomCode, OnCustom)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

class CParentBase : public CWnd {
public:
    afx_msg LRESULT OnApp(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) + 7; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CParentBase, CWnd)
    ON_MESSAGE(WM_APP, OnApp)
END_MESSAGE_MAP()

class CParent : public CParentBase {
public:
    afx_msg void OnReflectingClicked() { g_calls.push_back("parent clicked 100"); }
    afx_msg void OnPlainClicked() { g_calls.push_back("parent clicked 101"); }
    afx_msg void OnCustom(NMHDR* hdr, LRESULT* pResult) { g_calls.push_back("parent notify " + std::to_string(hdr->idFrom)); *pResult = 5; }
    afx_msg LRESULT OnThrow(WPARAM w, LPARAM)
    {
        if (w == 1) AfxThrowMemoryException();
        throw std::runtime_error("not a class-layer exception");
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CParent, CParentBase)
    ON_BN_CLICKED(kReflecting, OnReflectingClicked)
    ON_BN_CLICKED(kPlain, OnPlainClicked)
    ON_NOTIFY_RANGE(kCustomCode, kReflecting, kPlain, OnCustom)
    ON_MESSAGE(WM_APP + 1, OnThrow)
END_MESSAGE_MAP()

class RoutingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp().Reset();
        g_calls.clear();
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
        ASSERT_TRUE(reflecting.Create("Button", "r", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 50, 20), &parent, kReflecting));
        ASSERT_TRUE(plain.Create("Button", "p", WS_VISIBLE | BS_PUSHBUTTON, CRect(60, 0, 110, 20), &parent, kPlain));
    }
    void TearDown() override { parent.DestroyWindow(); }

    LRESULT Notify(CWnd& to, CWnd& from, int id)
    {
        NMHDR hdr = {from.m_hWnd, static_cast<UINT_PTR>(id), kCustomCode};
        return to.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&hdr));
    }

    CParent parent;
    CReflectingButton reflecting;
    CButton plain;
};
} // namespace

TEST_F(RoutingTest, CommandsGoToTheChildFirstThenToTheParentsMap)
{
    ::SendMessageA(reflecting.m_hWnd, BM_CLICK, 0, 0);
    ::SendMessageA(plain.m_hWnd, BM_CLICK, 0, 0);
    reflecting.passClickOn = TRUE;  // the _EX handler lets the parent see it too
    ::SendMessageA(reflecting.m_hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"child clicked", "parent clicked 101", "child clicked",
                                                 "parent clicked 100"}));
    EXPECT_EQ(parent.SendMessage(WM_APP, 1), 8) << "entries of the base class's map";
}

TEST_F(RoutingTest, NotificationsAreReflectedToTheirSender)
{
    EXPECT_EQ(Notify(parent, reflecting, kReflecting), 42);
    EXPECT_EQ(Notify(parent, plain, kPlain), 5);
    // A window that names itself as the sender gets its own notification.
    EXPECT_EQ(Notify(reflecting, reflecting, kReflecting), 42);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"child notify", "parent notify 101", "child notify"}));
}

TEST(Routing, OwnerDrawItemsAreDrawnByTheControl)
{
    TestApp().Reset();
    g_calls.clear();
    CParent parent;
    CReflectingButton button;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, 200, 100), nullptr, 0));
    ASSERT_TRUE(button.Create("Button", "", WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 50, 20), &parent, kOwnerDraw));
    button.RedrawWindow();
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls.back(), "child draw 102");
    parent.DestroyWindow();
}

TEST_F(RoutingTest, ExceptionsLeavingAHandlerAreReported)
{
    TestApp().answers = {IDOK, IDOK};
    EXPECT_EQ(parent.SendMessage(WM_APP + 1, 1), 0);
    EXPECT_EQ(parent.SendMessage(WM_APP + 1, 2), 0);
    ASSERT_EQ(TestApp().boxes.size(), 2u);
    EXPECT_EQ(TestApp().boxes[0].text, "Out of memory.");
    EXPECT_TRUE(TestApp().boxes[0].type & MB_ICONEXCLAMATION);
    EXPECT_FALSE(TestApp().boxes[1].text.empty());
    EXPECT_TRUE(parent.IsWindow()) << "the window lives on";
}

namespace {
class CSelfDeleting : public CWnd {
public:
    explicit CSelfDeleting(bool* gone) : m_gone(gone) {}
    void PostNcDestroy() override
    {
        *m_gone = m_hWnd == nullptr;  // already detached
        delete this;
    }
    bool* m_gone;
};

// A dialog whose OK button and the dialog itself log pre-translation.
class CFilterButton : public CButton {
public:
    BOOL swallowEscape = TRUE;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN) return FALSE;
        g_calls.push_back("button");
        if (pMsg->wParam == VK_ESCAPE && swallowEscape) {
            swallowEscape = FALSE;
            return TRUE;
        }
        return FALSE;
    }
};
class CFilterDlg : public CDialog {
public:
    CFilterDlg() : CDialog(IDD_ABOUTBOX) {}
    CFilterButton m_ok;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDOK, m_ok); }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN) g_calls.push_back("dialog");
        return CDialog::PreTranslateMessage(pMsg);
    }
};
} // namespace

TEST(Routing, ModalLoopOffersKeysToTheFocusWindowAndItsParentsFirst)
{
    TestApp().Reset();
    g_calls.clear();
    CFilterDlg dlg;
    bool openAfterSwallowedEscape = false;
    INT_PTR result = RunModal(dlg, {
        [&] {
            // The box is shown on the loop's first idle; wait for it.
            if (!dlg.IsWindowVisible()) return RetryStep();
            ::PostMessageA(dlg.m_ok.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        },
        [&] {
            openAfterSwallowedEscape = dlg.IsWindowVisible();
            ::PostMessageA(dlg.m_ok.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 1);
        },
    });
    EXPECT_TRUE(openAfterSwallowedEscape);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"button", "button", "dialog"}));
}

TEST(WindowObjects, HandleMapAndLifetime)
{
    TestApp().Reset();
    bool detachedBeforeDelete = false;
    auto* self = new CSelfDeleting(&detachedBeforeDelete);
    ASSERT_TRUE(self->CreateEx(0, nullptr, "x", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    HWND h = self->m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(h), self);
    ::DestroyWindow(h);
    EXPECT_TRUE(detachedBeforeDelete);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);

    // A window without an object gets a temporary one, the same until idle.
    HWND plain = ::CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CWnd* temp = CWnd::FromHandle(plain);
    ASSERT_TRUE(temp != nullptr);
    EXPECT_EQ(temp->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandle(plain), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    AfxDeleteTempMaps();
    ::DestroyWindow(plain);
}

TEST(ClassLayer, RunTimeClassesAndStrings)
{
    CDialog dlg;
    CObject* obj = &dlg;
    EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(obj->IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(obj->IsKindOf(RUNTIME_CLASS(CListCtrl)));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CDialog, obj), &dlg);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CEdit, obj), nullptr);
    EXPECT_STREQ(obj->GetRuntimeClass()->m_lpszClassName, "CDialog");
    CObject* created = RUNTIME_CLASS(CWnd)->CreateObject();
    ASSERT_TRUE(created != nullptr);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CWnd)));
    delete created;

    CString s;
    s.Format("%lu rows", 4294967295UL);
    EXPECT_STREQ(s, "4294967295 rows");
    EXPECT_STREQ(s.Right(4), "rows");
    EXPECT_STREQ(s.Right(100), s);
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Mid(11, 2), "ro");
    EXPECT_FALSE(s.LoadString(4711));
    EXPECT_TRUE(s.IsEmpty());
}

namespace {
// How a window's creation is made to fail.
enum class CreateFailure {
    UnknownClass,    // before the window exists: the hook never sees it
    HookRefuses,     // a hook further down the chain cancels it: no message at all
    NcCreateRefused, // WM_NCCREATE gives FALSE
    CreateRefused,   // WM_CREATE gives -1: destroyed through WM_NCDESTROY
};

constexpr unsigned char kFreedMark = 0xA5;

// A window object that deletes itself in PostNcDestroy, in storage that
// outlives the deletion and is filled with a mark by it, so that any write
// to the object after its deletion shows.
class CDoomedWnd : public CWnd {
public:
    explicit CDoomedWnd(CreateFailure failure) : m_failure(failure) {}
    static void* operator new(std::size_t) { return s_storage; }
    static void operator delete(void* p, std::size_t n)
    {
        std::memset(p, kFreedMark, n);
        ++s_nDeletes;
    }
    void PostNcDestroy() override
    {
        ++s_nPostNcDestroy;
        delete this;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NCCREATE && m_failure == CreateFailure::NcCreateRefused) return FALSE;
        if (message == WM_CREATE && m_failure == CreateFailure::CreateRefused) return -1;
        return CWnd::WindowProc(message, wParam, lParam);
    }
    static bool StorageIsMarked()
    {
        return std::all_of(s_storage, s_storage + sizeof(CDoomedWnd),
                           [](unsigned char b) { return b == kFreedMark; });
    }

    CreateFailure m_failure;
    alignas(std::max_align_t) static unsigned char s_storage[256];
    static int s_nDeletes;
    static int s_nPostNcDestroy;
};
alignas(std::max_align_t) unsigned char CDoomedWnd::s_storage[256];
int CDoomedWnd::s_nDeletes = 0;
int CDoomedWnd::s_nPostNcDestroy = 0;
static_assert(sizeof(CDoomedWnd) <= sizeof CDoomedWnd::s_storage);

LRESULT CALLBACK RefuseEveryWindow(int nCode, WPARAM, LPARAM)
{
    return nCode == HCBT_CREATEWND ? 1 : 0;
}

const char* NameOf(CreateFailure failure)
{
    static const char* const names[] = {"UnknownClass", "HookRefuses", "NcCreateRefused", "CreateRefused"};
    return names[static_cast<int>(failure)];
}

void PrintTo(CreateFailure failure, std::ostream* os)
{
    *os << NameOf(failure);
}

class FailedCreation : public ::testing::TestWithParam<CreateFailure> {};

std::string FailureName(const ::testing::TestParamInfo<CreateFailure>& info)
{
    return NameOf(info.param);
}
} // namespace

TEST_P(FailedCreation, EndsWithOneCleanUpAndNoUseOfTheObjectAfterIt)
{
    TestApp().Reset();
    CDoomedWnd::s_nDeletes = CDoomedWnd::s_nPostNcDestroy = 0;
    const CreateFailure failure = GetParam();
    const HHOOK hRefuse = failure == CreateFailure::HookRefuses
                              ? ::SetWindowsHookExA(WH_CBT, &RefuseEveryWindow, nullptr, ::GetCurrentThreadId())
                              : nullptr;
    auto* pWnd = new CDoomedWnd(failure);
    const BOOL bCreated = pWnd->CreateEx(0, failure == CreateFailure::UnknownClass ? "QmNoSuchClass" : nullptr,
                                         "doomed", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    if (hRefuse) ::UnhookWindowsHookEx(hRefuse);
    EXPECT_FALSE(bCreated);
    EXPECT_EQ(CDoomedWnd::s_nPostNcDestroy, 1);
    EXPECT_EQ(CDoomedWnd::s_nDeletes, 1);
    EXPECT_TRUE(CDoomedWnd::StorageIsMarked()) << "the object was written to after its deletion";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, FailedCreation,
                         ::testing::Values(CreateFailure::UnknownClass, CreateFailure::HookRefuses,
                                           CreateFailure::NcCreateRefused, CreateFailure::CreateRefused),
                         FailureName);

namespace {
int g_inFront = 0;
WNDPROC g_behind = nullptr;
LRESULT CALLBACK InFront(HWND h, UINT m, WPARAM w, LPARAM l)
{
    g_inFront += m == WM_USER + 7;
    return ::CallWindowProcA(g_behind, h, m, w, l);
}
} // namespace

// A window's own messages skip the system while the framework's procedure
// is in front, and go through a procedure other code puts in front of it
// once the thread has heard from the system or sent through the class layer.
TEST(WindowObjects, OwnMessagesHonourALaterSubclass)
{
    TestApp().Reset();
    for (const bool throughSystem : {true, false}) {
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "x", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        g_inFront = 0;
        wnd.SendOwnMessage(WM_USER + 7);
        g_behind = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrA(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InFront)));
        // A window the class layer does not handle: nothing of it comes back through the framework.
        HWND plain = ::CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        throughSystem ? ::SendMessageA(wnd.m_hWnd, WM_NULL, 0, 0) : CWnd::FromHandle(plain)->SendMessage(WM_NULL);
        ::DestroyWindow(plain);
        wnd.SendOwnMessage(WM_USER + 7);
        EXPECT_EQ(g_inFront, 1) << (throughSystem ? "system" : "class layer");
        ::SetWindowLongPtrA(wnd.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_behind));
        wnd.DestroyWindow();
    }
}
