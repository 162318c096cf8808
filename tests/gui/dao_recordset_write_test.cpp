// Changing records through a dynaset: values of every type written and read
// back, text in the program's code page, and the refusals.
#include <gtest/gtest.h>
#include <string>
#include "afxdao.h"
#include "dao_test_files.h"
#include "jet/database/database.h"

namespace {
std::string Text(const VARIANT& v)
{
    if (v.vt != VT_BSTR) return "<not text>";
    return std::string(reinterpret_cast<const char*>(v.bstrVal), ::SysStringByteLen(v.bstrVal));
}

// Runs f and gives the engine's description of the CDaoException it throws.
template <class F>
std::string DaoError(F&& f)
{
    try {
        f();
    } catch (CDaoException* e) {
        std::string text = e->m_pErrorInfo ? std::string(e->m_pErrorInfo->m_strDescription) : "<no record>";
        e->Delete();
        return text;
    }
    return "<no error>";
}

constexpr char kAllTypes[] =
    "SELECT TOP 1000 [ColBoolean], [ColByte], [ColInt], [ColLong], [ColMoney], [ColFloat], "
    "[ColDouble], [ColDate], [ColText], [ColMemo], [ColOle], [ColBinary], [ColGuid], [ColNumeric] FROM AllTypes";
} // namespace

TEST(DaoDynaset, ChangedValuesOfEveryKindAreWrittenWhenUpdateReturns)
{
    FixtureCopies files;
    const std::string path = files.Copy("types.mdb");
    const std::string memo(5000, 'm');  // longer than a page: kept on pages of its own
    {
        CDaoDatabase db;
        db.Open(path.c_str(), FALSE, FALSE, "");
        CDaoRecordset rs(&db);
        rs.Open(dbOpenDynaset, kAllTypes, 0);
        rs.Edit();
        rs.SetFieldValue(0, COleVariant(short(0), VT_BOOL));
        rs.SetFieldValue(2, COleVariant(short(-1234)));
        rs.SetFieldValue(3, COleVariant(long(7654321)));
        COleVariant money;
        money.vt = VT_CY;
        money.cyVal.int64 = 123456789;
        rs.SetFieldValue(4, money);
        rs.SetFieldValue(6, COleVariant(2.5));
        rs.SetFieldValue(8, "a longer text than the one it replaces");
        rs.SetFieldValue(9, memo.c_str());
        rs.Update();
        rs.MoveNext();
        rs.Edit();
        rs.SetFieldValue(8, "x");  // shorter
        rs.SetFieldValueNull(6);
        rs.Update();
    }
    CDaoDatabase db;
    db.Open(path.c_str(), FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenSnapshot, kAllTypes, 0);
    EXPECT_EQ(rs.GetFieldValue(0).boolVal, VARIANT_FALSE);
    EXPECT_EQ(rs.GetFieldValue(2).iVal, -1234);
    EXPECT_EQ(rs.GetFieldValue(3).lVal, 7654321);
    EXPECT_EQ(rs.GetFieldValue(4).cyVal.int64, 123456789);
    EXPECT_EQ(rs.GetFieldValue(6).dblVal, 2.5);
    EXPECT_EQ(Text(rs.GetFieldValue(8)), "a longer text than the one it replaces");
    EXPECT_EQ(Text(rs.GetFieldValue(9)), memo);
    rs.MoveNext();
    EXPECT_EQ(Text(rs.GetFieldValue(8)), "x");
    EXPECT_EQ(rs.GetFieldValue(6).vt, VT_NULL);
}

// The program's code page lacks the Cyrillic letters of "Мир": they read as
// "???". Written back as read, the field keeps them.
TEST(DaoDynaset, TextOutsideTheCodePageSurvivesBeingWrittenBackAsRead)
{
    FixtureCopies files;
    const std::string path = files.Copy("real/jackcess-V2003-testUnicodeComp.mdb");
    auto engineText = [&] {
        jet::Database engine(path);
        jet::Snapshot s = engine.open_snapshot("SELECT [Unicode] FROM [Table]");
        s.move_next();
        s.move_next();
        return s.value(0).text();
    };
    CDaoDatabase db;
    db.Open(path.c_str(), FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT TOP 1000 [ID], [Unicode] FROM [Table]", 0);
    rs.MoveNext();
    rs.MoveNext();
    const COleVariant read = rs.GetFieldValue(1);
    ASSERT_EQ(Text(read), AnsiFromUtf8("\xD0\x9C\xD0\xB8\xD1\x80"));
    EXPECT_EQ(DaoError([&] {
                  rs.Edit();
                  rs.SetFieldValue(1, read);
                  rs.Update();
              }),
              "<no error>");
    EXPECT_EQ(engineText(), u"\u041C\u0438\u0440");
    // The column is indexed, and the engine refuses to change an indexed
    // value: other text is a change, where the bytes read from the field
    // were not.
    EXPECT_EQ(DaoError([&] {
                  rs.Edit();
                  rs.SetFieldValue(1, "Mir");
                  rs.Update();
              }),
              "Cannot update 'Unicode'; field not updateable.");
    rs.CancelUpdate();
    EXPECT_EQ(engineText(), u"\u041C\u0438\u0440");
}

TEST(DaoDynaset, RefusalsComeAsDaoExceptions)
{
    FixtureCopies files;
    CDaoDatabase db;
    db.Open(files.Copy("autonumber.mdb").c_str(), FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenDynaset, "SELECT TOP 1000 [ScoreId], [Team] FROM Scores", 0);
    EXPECT_EQ(DaoError([&] { rs.SetFieldValue(1, "x"); }), "Update or CancelUpdate without AddNew or Edit.");
    rs.Edit();
    EXPECT_EQ(DaoError([&] { rs.SetFieldValue(0, rs.GetFieldValue(0)); }), "Field cannot be updated.");
    COleVariant unknown;
    unknown.vt = VT_DISPATCH;
    unknown.pdispVal = nullptr;
    EXPECT_EQ(DaoError([&] { rs.SetFieldValue(1, unknown); }), "Data type conversion error.");
    unknown.vt = VT_EMPTY;
    rs.CancelUpdate();

    CDaoRecordset snapshot(&db);
    snapshot.Open(dbOpenSnapshot, "SELECT TOP 1000 [Team] FROM Scores", 0);
    EXPECT_EQ(DaoError([&] { snapshot.Edit(); }), "Cannot update. Database or object is read-only.");
    while (!rs.IsEOF()) rs.MoveNext();
    EXPECT_EQ(DaoError([&] { rs.Edit(); }), "No current record.");
}
