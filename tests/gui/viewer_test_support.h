// What the viewer's reading tests share: a viewer dialog opened without the
// default database, and what the transfer tests share.
#pragma once
#include <string>
#include <vector>
#include "dao_test_files.h"
#include "quillmere_dlg.h"
#include "transfer_test_support.h"
#include "test_app.h"

// The start-up complaint when C:\Varnholt\NflSummary.mdb is not there (it
// never is where the tests run).
constexpr char kFailedToOpen[] = "Failed to open database!";
constexpr char kSelectFirst[] = "Please select a table first from the list on the far left.";

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
