// What the viewer's reading tests share: a viewer dialog opened without the
// default database, a spy on the list messages the grid receives, and
// readers of the grid's columns and cells.
#pragma once
#include <string>
#include <vector>
#include "dao_test_files.h"
#include "quillmere_dlg.h"
#include "test_app.h"

// The start-up complaint when C:\Varnholt\NflSummary.mdb is not there (it
// never is where the tests run).
constexpr char kFailedToOpen[] = "Failed to open database!";
constexpr char kSelectFirst[] = "Please select a table first from the list on the far left.";
constexpr char kUnknown[] = "unknown format specifier ToString()";

// A viewer dialog, shown modelessly; its start-up box is answered and
// forgotten, and its log emptied.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a copy of the fixture through OpenDatabase; gives the copy's path.
    std::string OpenCopy(const std::string& fixture);
    // Selects the table in the list (FALSE when it is not listed).
    bool Select(const char* table);
    // Presses a button of the dialog as a click does (BN_CLICKED).
    void Click(int id);
    std::string Log() const;
    std::vector<std::string> Tables() const;

    FixtureCopies files;
    CQuillmereDlg dlg;
};

struct GridColumn {
    std::string title;
    int format;  // LVCFMT_LEFT or LVCFMT_RIGHT
    int width;
};
std::vector<GridColumn> Columns(CListCtrl& grid);
int Rows(CListCtrl& grid);
std::string Cell(CListCtrl& grid, int row, int col);

// Records the list messages that reach a window from outside it (not those
// it sends itself while handling one), as readable lines such as
// "DELETEITEM 0", "INSERTITEM 0", "SETITEMTEXT 2,1", "GETITEMCOUNT".
class ListMessageSpy {
public:
    explicit ListMessageSpy(HWND hWnd);
    ~ListMessageSpy();
    std::vector<std::string> lines;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd;
    WNDPROC m_pfnPrev;
    int m_depth = 0;
    static ListMessageSpy* s_spy;
};
