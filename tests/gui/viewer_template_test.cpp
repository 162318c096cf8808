// The viewer's and the about box's templates as the running program creates them,
// and the program's other resources.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "about_dlg.h"
#include "quillmere_dlg.h"
#include "test_app.h"

namespace {
struct ControlSpec {
    int id;
    const char* cls;
    const char* text;
    DWORD style;  // exactly, as the template gives it
    RECT rc;      // dialog units: x, y, width, height
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

std::string ClassOf(HWND h)
{
    char cls[64] = "";
    ::GetClassNameA(h, cls, sizeof cls);
    return cls;
}

std::string TextOf(HWND h)
{
    char text[256] = "";
    ::GetWindowTextA(h, text, sizeof text);
    return text;
}

// One control of a DLGTEMPLATEEX resource.
struct TemplateItem {
    DWORD style;
    int id;
    std::string cls;
    std::string text;
    RECT rc;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* p) : m_p(p) {}
    WORD Word() { WORD w = static_cast<WORD>(m_p[0] | (m_p[1] << 8)); m_p += 2; return w; }
    DWORD Dword() { DWORD lo = Word(); return lo | (static_cast<DWORD>(Word()) << 16); }
    short Short() { return static_cast<short>(Word()); }
    // A name or an ordinal (given as "#n", or as the class it stands for).
    std::string NameOrOrdinal(bool isClass)
    {
        WORD first = Word();
        if (first == 0xFFFF) {
            WORD ordinal = Word();
            static const char* const classes[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
            if (isClass && ordinal >= 0x80 && ordinal <= 0x85) return classes[ordinal - 0x80];
            return "#" + std::to_string(ordinal);
        }
        std::string name;
        for (WORD c = first; c; c = Word()) name += static_cast<char>(c);
        return name;
    }
    void AlignDword()
    {
        while (reinterpret_cast<UINT_PTR>(m_p) % 4) ++m_p;
    }

private:
    const BYTE* m_p;
};

// The controls of dialog template id, as compiled into the program.
std::vector<TemplateItem> ReadTemplate(int id, DWORD* dialogStyle, RECT* dialogRect)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC res = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!res) return {};
    TemplateReader r(static_cast<const BYTE*>(::LockResource(::LoadResource(module, res))));
    if (r.Word() != 1 || r.Word() != 0xFFFF) return {};  // DLGTEMPLATEEX only
    r.Dword();  // help id
    r.Dword();  // extended style
    *dialogStyle = r.Dword();
    WORD count = r.Word();
    dialogRect->left = r.Short();
    dialogRect->top = r.Short();
    dialogRect->right = r.Short();
    dialogRect->bottom = r.Short();
    r.NameOrOrdinal(false);  // menu
    r.NameOrOrdinal(false);  // class
    r.NameOrOrdinal(false);  // title
    if (*dialogStyle & DS_SETFONT) {
        r.Word();
        r.Word();
        r.Word();  // italic and character set
        r.NameOrOrdinal(false);
    }
    std::vector<TemplateItem> items;
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        TemplateItem item;
        r.Dword();  // help id
        r.Dword();  // extended style
        item.style = r.Dword();
        item.rc.left = r.Short();
        item.rc.top = r.Short();
        item.rc.right = r.Short();
        item.rc.bottom = r.Short();
        item.id = static_cast<int>(r.Dword());
        item.cls = r.NameOrOrdinal(true);
        item.text = r.NameOrOrdinal(false);
        WORD extra = r.Word();
        for (WORD k = 0; k < extra; k += 2) r.Word();
        items.push_back(item);
    }
    return items;
}

// The template's controls are exactly the specified ones, in tab order, and the
// dialog made from it has them as its children.
void ExpectControls(HWND hDlg, int templateId, const std::vector<ControlSpec>& specs)
{
    DWORD dialogStyle = 0;
    RECT dialogRect;
    std::vector<TemplateItem> items = ReadTemplate(templateId, &dialogStyle, &dialogRect);
    std::vector<HWND> children;
    for (HWND h = ::GetWindow(hDlg, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) children.push_back(h);
    ASSERT_EQ(items.size(), specs.size());
    ASSERT_EQ(children.size(), specs.size());
    for (size_t i = 0; i < specs.size(); ++i) {
        const ControlSpec& s = specs[i];
        const TemplateItem& t = items[i];
        SCOPED_TRACE(std::string("control #") + std::to_string(i) + " \"" + s.text + "\"");
        EXPECT_EQ(static_cast<WORD>(t.id), static_cast<WORD>(s.id));
        EXPECT_STRCASEEQ(t.cls.c_str(), s.cls);
        EXPECT_EQ(t.style, s.style) << std::hex << t.style << " instead of " << s.style;
        EXPECT_EQ(t.rc.left, s.rc.left);
        EXPECT_EQ(t.rc.top, s.rc.top);
        EXPECT_EQ(t.rc.right, s.rc.right);
        EXPECT_EQ(t.rc.bottom, s.rc.bottom);

        HWND h = children[i];
        EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(h)), static_cast<WORD>(s.id));
        EXPECT_STRCASEEQ(ClassOf(h).c_str(), s.cls);
        const bool icon = ClassOf(h) == "Static" && (s.style & SS_TYPEMASK) == SS_ICON;
        if (icon) EXPECT_TRUE(::SendMessageA(h, STM_GETICON, 0, 0) != 0);
        // The start-up changes the path label and the log: their texts are the template's.
        else EXPECT_EQ(t.id == IDC_DB_PATH || t.id == IDC_LOG ? t.text : TextOf(h), s.text);
        EXPECT_EQ((::GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0, (s.style & WS_VISIBLE) != 0);
        // The dialog manager converts position and size each on its own.
        RECT want = s.rc;
        ::MapDialogRect(hDlg, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT got;
        ::GetWindowRect(h, &got);
        ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&got), 2);
        if (!icon) {  // an icon static sizes itself to its icon
            EXPECT_EQ(got.left, want.left);
            EXPECT_EQ(got.top, want.top);
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
    }
}

void ExpectClientSize(HWND hDlg, int cx, int cy)
{
    RECT want = {0, 0, cx, cy};
    ::MapDialogRect(hDlg, &want);
    RECT client;
    ::GetClientRect(hDlg, &client);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
}
} // namespace

TEST(ViewerTemplate, DialogAndControlsAreAsDesigned)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};  // "Failed to open database!": the default database is not there
    CQuillmereDlg dlg;
    ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
    HWND h = dlg.m_hWnd;
    // Having tried the default database, the path label shows its path.
    EXPECT_EQ(TextOf(::GetDlgItem(h, IDC_DB_PATH)), "C:\\Varnholt\\NflSummary.mdb");

    EXPECT_EQ(TextOf(h), "Quillmere");
    DWORD style = dlg.GetStyle();
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_TRUE(dlg.GetExStyle() & WS_EX_APPWINDOW);
    ExpectClientSize(h, 534, 346);

    const DWORD button = kChild | WS_TABSTOP, label = kChild | WS_GROUP;
    const DWORD countEdit = kChild | ES_READONLY | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    ExpectControls(h, CQuillmereDlg::IDD, {
        {IDOK, "Button", "OK", button | BS_DEFPUSHBUTTON, {475, 5, 50, 14}},
        {IDCANCEL, "Button", "Cancel", WS_CHILD | WS_TABSTOP, {445, 0, 21, 14}},
        {-1, "Static", "Select Summary Database to Open:", label | SS_LEFT, {15, 10, 108, 8}},
        {IDC_DB_PATH, "Static", "Click BROWSE to open a database.",
         label | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_SUNKEN | WS_BORDER, {15, 22, 175, 13}},
        {IDC_BROWSE, "Button", "Browse...", button, {140, 5, 50, 14}},
        {IDC_TABLES, "ListBox", "", kChild | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
         WS_BORDER | WS_TABSTOP, {10, 55, 110, 235}},
        {-1, "Static", "Tables Found in MDB", label | SS_CENTER, {10, 44, 125, 8}},
        {IDC_READING, "Button", "Start Reading MDB", button, {295, 25, 71, 14}},
        {IDC_READ_ROWS, "Edit", "", countEdit, {375, 25, 50, 14}},
        {IDC_UPDATING, "Button", "Start Updating MDB", button, {295, 5, 71, 14}},
        {IDC_UPDATE_ROWS, "Edit", "", countEdit, {375, 5, 50, 14}},
        {IDC_GRID, "SysListView32", "List1", kChild | LVS_REPORT | WS_BORDER | WS_TABSTOP, {130, 55, 395, 235}},
        {IDC_READ_ONCE, "Button", "Read Once", button, {235, 25, 50, 14}},
        {IDC_INTERVAL, "Edit", "", kChild | ES_NUMBER | ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
         {235, 5, 50, 14}},
        {-1, "Static", "Rows Found in selected table", label | SS_CENTER, {130, 44, 395, 8}},
        {IDC_LOG, "Edit", "", kChild | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
         WS_VSCROLL | WS_BORDER | WS_TABSTOP, {10, 300, 515, 40}},
        {IDC_REPAIR_DB, "Button", "Repair DB", button, {475, 30, 50, 14}},
    });

    // The nine members are bound to their controls and receive their messages.
    const std::pair<CWnd*, int> bound[] = {
        {&dlg.m_editLog, IDC_LOG}, {&dlg.m_btnUpdating, IDC_UPDATING}, {&dlg.m_btnReading, IDC_READING},
        {&dlg.m_editInterval, IDC_INTERVAL}, {&dlg.m_grid, IDC_GRID}, {&dlg.m_lstTables, IDC_TABLES},
        {&dlg.m_editUpdateRows, IDC_UPDATE_ROWS}, {&dlg.m_editReadRows, IDC_READ_ROWS},
        {&dlg.m_stcPath, IDC_DB_PATH}};
    for (auto [member, id] : bound) {
        EXPECT_EQ(member->m_hWnd, ::GetDlgItem(h, id)) << id;
        EXPECT_EQ(CWnd::FromHandlePermanent(::GetDlgItem(h, id)), member) << id;
    }
    EXPECT_TRUE(dlg.m_strDbPath.IsEmpty() && dlg.m_strTable.IsEmpty() && dlg.m_strSQL.IsEmpty());
    EXPECT_EQ(dlg.m_nTimerId, 0u);
    EXPECT_FALSE(dlg.m_bReading || dlg.m_bUpdating);
    EXPECT_TRUE(dlg.m_hIcon != nullptr);
    EXPECT_EQ(dlg.GetIcon(TRUE), dlg.m_hIcon);
    EXPECT_EQ(dlg.GetIcon(FALSE), dlg.m_hIcon);
    dlg.DestroyWindow();
}

TEST(ViewerTemplate, AboutBoxIsAsDesigned)
{
    CAboutDlg about;
    ASSERT_TRUE(about.Create(CAboutDlg::IDD));
    HWND h = about.m_hWnd;
    EXPECT_EQ(TextOf(h), "About Quillmere");
    DWORD style = about.GetStyle();
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ExpectClientSize(h, 235, 55);
    ExpectControls(h, CAboutDlg::IDD, {
        {-1, "Static", "", kChild | SS_ICON, {11, 17, 20, 20}},
        {-1, "Static", "Quillmere Version 1.0", kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX, {40, 10, 119, 8}},
        {-1, "Static", "Copyright (C) 2024", kChild | WS_GROUP | SS_LEFT, {40, 25, 119, 8}},
        {IDOK, "Button", "OK", kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, {178, 7, 50, 14}},
    });
    about.DestroyWindow();
}

TEST(ViewerResources, StringIconAndVersion)
{
    CString about;
    ASSERT_TRUE(about.LoadString(IDS_ABOUTBOX));
    EXPECT_STREQ(about, "&About Quillmere...");

    // Icon 128: a 32x32 and a 16x16 image of 16 colours.
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_TRUE(group != nullptr);
    const auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
    ASSERT_EQ(dir[4], 2);  // image count
    std::vector<std::pair<int, int>> images;  // (size, bits per pixel)
    for (int i = 0; i < 2; ++i) {
        const BYTE* e = dir + 6 + i * 14;
        images.push_back({e[0], e[6] | (e[7] << 8)});
    }
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{32, 4}, {16, 4}}));

    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0, size = ::GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);
    DWORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
    EXPECT_EQ(*translation, 0x04B00409u);
    auto value = [&](const char* name) {
        char* text = nullptr;
        std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        return ::VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &len) && text
                   ? std::string(text) : std::string("<missing>");
    };
    EXPECT_EQ(value("FileDescription"), "Quillmere MFC Application");
    EXPECT_EQ(value("InternalName"), "Quillmere");
    EXPECT_EQ(value("OriginalFilename"), "Quillmere.EXE");
    EXPECT_EQ(value("ProductName"), "Quillmere Application");
    EXPECT_EQ(value("CompanyName"), "");
    EXPECT_EQ(value("FileVersion"), "");
}

TEST(ViewerScreenshot, SavesThePngOfTheDialog)
{
    TestApp().Reset();
    TestApp().answers = {IDOK};  // "Failed to open database!"
    CQuillmereDlg dlg;
    ASSERT_TRUE(dlg.Create(CQuillmereDlg::IDD));
    dlg.LogMessage("Log lines appear here.");
    ::SetWindowPos(dlg.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    dlg.SendMessage(WM_NCACTIVATE, TRUE);  // an active caption, as on a desktop
    dlg.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_TRUE(SaveWindowPng(dlg.m_hWnd, QM_SCREENSHOT));
    dlg.DestroyWindow();
}
