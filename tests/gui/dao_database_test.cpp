// The data-access layer's database and table definitions over the engine:
// the catalogue, field descriptions and how failures arrive.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "afxdao.h"
#include "dao_test_files.h"

namespace {
// Runs f and gives the CDaoException it throws (owned by the caller), or NULL.
template <class F>
CDaoException* DaoFailure(F&& f)
{
    try {
        f();
    } catch (CDaoException* e) {
        return e;
    }
    return nullptr;
}

std::string Description(CDaoException* e)
{
    std::string text = e && e->m_pErrorInfo ? std::string(e->m_pErrorInfo->m_strDescription) : "<no error record>";
    if (e) e->Delete();
    return text;
}
} // namespace

TEST(DaoDatabase, CatalogueInOrderWithAttributesAndAThrowPastTheEnd)
{
    FixtureCopies files;
    CDaoDatabase db;
    EXPECT_FALSE(db.IsOpen());
    db.Open(files.Copy("catalog.mdb").c_str(), FALSE, FALSE, "");
    ASSERT_TRUE(db.IsOpen());

    struct Entry {
        std::string name;
        long attributes;
    };
    std::vector<Entry> entries;
    CDaoTableDefInfo info;
    for (int i = 0; i < db.GetTableDefCount(); ++i) {
        db.GetTableDefInfo(i, info, AFX_DAO_ALL_INFO);
        entries.push_back({std::string(info.m_strName), info.m_lAttributes});
    }
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[0].name, "MSysObjects");
    EXPECT_EQ(entries[0].attributes, static_cast<long>(0x80000000u));
    EXPECT_EQ(entries[4].name, "MSysAccessObjects");
    EXPECT_EQ(entries[4].attributes, 2);
    EXPECT_EQ(entries[5].name, "Zeta");
    EXPECT_EQ(entries[5].attributes, 0);
    EXPECT_EQ(entries[8].name, "HiddenOne");
    EXPECT_EQ(entries[8].attributes, dbHiddenObject);
    EXPECT_EQ(entries[9].name, "LinkedGames");
    EXPECT_EQ(entries[9].attributes, dbAttachedTable);
    EXPECT_EQ(std::string(info.m_strSrcTableName), "Games");
    EXPECT_EQ(std::string(info.m_strConnect), ";DATABASE=NflSummary.mdb");

    EXPECT_EQ(Description(DaoFailure([&] { db.GetTableDefInfo(10, info, AFX_DAO_ALL_INFO); })),
              "Item not found in this collection.");
    EXPECT_EQ(Description(DaoFailure([&] { db.GetTableDefInfo(-1, info, AFX_DAO_ALL_INFO); })),
              "Item not found in this collection.");

    db.Close();
    EXPECT_FALSE(db.IsOpen());
}

TEST(DaoDatabase, OpenFailuresCarryTheEnginesDescription)
{
    FixtureCopies files;
    CDaoDatabase db;
    const std::string missing = files.Missing("nothing.mdb");
    const std::string text = Description(DaoFailure([&] { db.Open(missing.c_str(), FALSE, FALSE, ""); }));
    EXPECT_NE(text.find("Could not find file"), std::string::npos) << text;
    EXPECT_NE(text.find(missing), std::string::npos) << text;
    EXPECT_FALSE(db.IsOpen());

    for (const char* name : {"real/mdbreader-V2000-with-password.mdb", "real/mdbreader-V2003-with-password.mdb"}) {
        EXPECT_EQ(Description(DaoFailure([&] { db.Open(files.Copy(name).c_str(), FALSE, FALSE, ""); })),
                  "Not a valid password.");
        EXPECT_FALSE(db.IsOpen());
    }

    // A file that is not a database.
    const std::string notes = files.Copy("README.md");
    EXPECT_NE(Description(DaoFailure([&] { db.Open(notes.c_str(), FALSE, FALSE, ""); })), "<no error record>");
    EXPECT_FALSE(db.IsOpen());

    // A failed open leaves a database that was open closed.
    db.Open(files.Copy("rows.mdb").c_str(), FALSE, FALSE, "");
    EXPECT_TRUE(db.IsOpen());
    delete DaoFailure([&] { db.Open(missing.c_str(), FALSE, FALSE, ""); });
    EXPECT_FALSE(db.IsOpen());

    // Only shared opens are offered.
    EXPECT_NE(Description(DaoFailure([&] { db.Open(files.Copy("rows.mdb").c_str(), TRUE, FALSE, ""); })),
              "<no error record>");
    EXPECT_FALSE(db.IsOpen());
}

TEST(DaoDatabase, ObjectsThatAreNotOpenThrowTheLayersOwnError)
{
    CDaoDatabase db;
    CDaoTableDefInfo info;
    CDaoException* e = DaoFailure([&] { db.GetTableDefInfo(0, info); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_pErrorInfo, nullptr);
    EXPECT_EQ(e->m_nAfxDaoError, AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    char text[128] = "";
    EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
    EXPECT_STREQ(text, "The database object is not open.");
    e->Delete();

    CDaoTableDef tableDef(&db);
    e = DaoFailure([&] { tableDef.Open("Four"); });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_nAfxDaoError, AFX_DAO_ERROR_OBJECT_NOT_OPEN);
    e->Delete();
    CDaoFieldInfo field;
    EXPECT_EQ(Description(DaoFailure([&] { tableDef.GetFieldInfo(0, field); })), "<no error record>");

    CDaoRecordset rs(&db);
    EXPECT_EQ(Description(DaoFailure([&] { rs.Open(dbOpenSnapshot, "SELECT TOP 1000 [N] FROM Four"); })),
              "<no error record>");
    EXPECT_EQ(Description(DaoFailure([&] { rs.IsEOF(); })), "<no error record>");
}

TEST(DaoTableDef, FieldsByTypeAndSizeInFieldOrder)
{
    FixtureCopies files;
    CDaoDatabase db;
    db.Open(files.Copy("types.mdb").c_str(), FALSE, FALSE, "");
    CDaoTableDef tableDef(&db);
    tableDef.Open("alltypes");  // names are matched without regard to case
    ASSERT_TRUE(tableDef.IsOpen());
    ASSERT_EQ(tableDef.GetFieldCount(), 14);

    struct Expected {
        const char* name;
        short type;
        long size;
    };
    const Expected expected[] = {
        {"ColBoolean", dbBoolean, 1}, {"ColByte", dbByte, 1},     {"ColInt", dbInteger, 2},
        {"ColLong", dbLong, 4},       {"ColMoney", dbCurrency, 8}, {"ColFloat", dbSingle, 4},
        {"ColDouble", dbDouble, 8},   {"ColDate", dbDate, 8},      {"ColText", dbText, 50},
        {"ColMemo", dbMemo, 0},       {"ColOle", dbLongBinary, 0}, {"ColBinary", dbBinary, 16},
        {"ColGuid", dbGUID, 16},      {"ColNumeric", dbDecimal, 16},
    };
    CDaoFieldInfo field;
    for (int i = 0; i < 14; ++i) {
        tableDef.GetFieldInfo(i, field, AFX_DAO_PRIMARY_INFO);
        EXPECT_EQ(std::string(field.m_strName), expected[i].name);
        EXPECT_EQ(field.m_nType, expected[i].type) << expected[i].name;
        EXPECT_EQ(field.m_lSize, expected[i].size) << expected[i].name;
        EXPECT_TRUE(field.m_lAttributes & dbUpdatableField) << expected[i].name;
    }
    EXPECT_EQ(Description(DaoFailure([&] { tableDef.GetFieldInfo(14, field); })),
              "Item not found in this collection.");

    CDaoTableDef missing(&db);
    EXPECT_EQ(Description(DaoFailure([&] { missing.Open("NoSuchTable"); })), "Item not found in this collection.");
    EXPECT_FALSE(missing.IsOpen());

    // The auto-number field is told apart.
    CDaoDatabase autoDb;
    autoDb.Open(files.Copy("autonumber.mdb").c_str(), FALSE, FALSE, "");
    CDaoTableDef plays(&autoDb);
    plays.Open("Plays");
    plays.GetFieldInfo(2, field);
    EXPECT_EQ(std::string(field.m_strName), "PlayId");
    EXPECT_TRUE(field.m_lAttributes & dbAutoIncrField);
    EXPECT_FALSE(field.m_lAttributes & dbUpdatableField);
}

TEST(DaoTableDef, LinkedTableDescribesTheTableItLinksTo)
{
    FixtureCopies files;
    files.Copy("NflSummary.mdb");
    CDaoDatabase db;
    db.Open(files.Copy("catalog.mdb").c_str(), FALSE, FALSE, "");
    CDaoTableDef linked(&db);
    linked.Open("LinkedGames");
    ASSERT_EQ(linked.GetFieldCount(), 11);
    CDaoFieldInfo field;
    linked.GetFieldInfo(10, field);
    EXPECT_EQ(std::string(field.m_strName), "Notes");
    EXPECT_EQ(field.m_nType, dbMemo);
}
