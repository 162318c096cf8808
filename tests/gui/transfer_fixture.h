// The transfer tests' window: a shown grid in the grid tests' dialog, and a
// database opened on a copy of a fixture.
#pragma once
#include <string>
#include "dao_test_files.h"
#include "grid_test_support.h"
#include "transfer.h"
#include "transfer_test_support.h"

class TransferTest : public GridTest {
protected:
    void TearDown() override
    {
        if (db.IsOpen()) db.Close();
        GridTest::TearDown();
    }
    // Opens db on a copy of the fixture (closing what it had open); gives the copy's path.
    std::string Open(const std::string& fixture)
    {
        if (db.IsOpen()) db.Close();
        const std::string path = files.Copy(fixture);
        db.Open(path.c_str(), FALSE, FALSE, "");
        return path;
    }
    // Opens a snapshot of the query text and reads it into the grid; gives the records done.
    int Fill(const CString& strSQL)
    {
        CDaoRecordset rs(&db);
        rs.Open(dbOpenSnapshot, strSQL, 0);
        int nDone = 0;
        transfer::FillGridRows(m_grid, rs, nDone);
        return nDone;
    }
    // A first read: the table's columns laid out, its records read with the
    // query text of the definition read for them.
    int Read(const char* table)
    {
        transfer::BuildColumns(m_grid, db, table, fields);
        return Fill(transfer::BuildQuery(table, fields));
    }

    FixtureCopies files;
    CDaoDatabase db;
    transfer::CTableFields fields;
};
