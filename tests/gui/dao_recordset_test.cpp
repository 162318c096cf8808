// Recordsets: movement, counts and every field type as the VARIANT the
// viewer formats.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "afxdao.h"
#include "dao_test_files.h"

namespace {
std::vector<unsigned char> Bytes(const VARIANT& v)
{
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    if (v.vt != (VT_ARRAY | VT_UI1)) return {};
    EXPECT_EQ(::SafeArrayGetDim(v.parray), 1u);
    LONG lower = 0, upper = -1;
    ::SafeArrayGetLBound(v.parray, 1, &lower);
    ::SafeArrayGetUBound(v.parray, 1, &upper);
    std::vector<unsigned char> bytes(static_cast<size_t>(upper - lower + 1));
    void* data = nullptr;
    ::SafeArrayAccessData(v.parray, &data);
    if (!bytes.empty()) std::memcpy(bytes.data(), data, bytes.size());
    ::SafeArrayUnaccessData(v.parray);
    return bytes;
}

// The single-byte text a VT_BSTR of the layer holds.
std::string Text(const VARIANT& v)
{
    EXPECT_EQ(v.vt, VT_BSTR);
    if (v.vt != VT_BSTR) return {};
    return std::string(reinterpret_cast<const char*>(v.bstrVal), ::SysStringByteLen(v.bstrVal));
}

class AllTypes : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.Open(files.Copy("types.mdb").c_str(), FALSE, FALSE, "");
        rs.Open(dbOpenSnapshot,
                "SELECT TOP 1000 [ColBoolean], [ColByte], [ColInt], [ColLong], [ColMoney], [ColFloat], "
                "[ColDouble], [ColDate], [ColText], [ColMemo], [ColOle], [ColBinary], [ColGuid], [ColNumeric] "
                "FROM AllTypes",
                0);
    }
    FixtureCopies files;
    CDaoDatabase db;
    CDaoRecordset rs{&db};
    COleVariant v;
};
} // namespace

TEST_F(AllTypes, FirstRecordHasEveryTypeAsItsVariant)
{
    ASSERT_EQ(rs.GetFieldCount(), 14);
    rs.GetFieldValue(0, v);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, VARIANT_TRUE);
    rs.GetFieldValue(1, v);
    EXPECT_EQ(v.vt, VT_UI1);
    EXPECT_EQ(v.bVal, 255);
    rs.GetFieldValue(2, v);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(v.iVal, -32768);
    rs.GetFieldValue(3, v);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, 70000);
    rs.GetFieldValue(4, v);
    EXPECT_EQ(v.vt, VT_CY);
    EXPECT_EQ(v.cyVal.int64, 123400);
    rs.GetFieldValue(5, v);
    EXPECT_EQ(v.vt, VT_R4);
    EXPECT_EQ(v.fltVal, 0.25f);
    rs.GetFieldValue(6, v);
    EXPECT_EQ(v.vt, VT_R8);
    EXPECT_EQ(v.dblVal, 2.5);
    rs.GetFieldValue(7, v);
    EXPECT_EQ(v.vt, VT_DATE);
    EXPECT_DOUBLE_EQ(v.date, COleDateTime(2026, 12, 7, 15, 7, 59).m_dt);
    rs.GetFieldValue(8, v);
    EXPECT_EQ(Text(v), "hello");

    rs.GetFieldValue(9, v);
    const std::string memo = Text(v);
    ASSERT_EQ(memo.size(), 5000u);
    for (size_t i = 0; i < memo.size(); ++i)
        ASSERT_EQ(memo[i], static_cast<char>('A' + i % 26)) << i;

    rs.GetFieldValue(10, v);
    const std::vector<unsigned char> ole = Bytes(v);
    ASSERT_EQ(ole.size(), 10000u);
    for (size_t i = 0; i < ole.size(); ++i) ASSERT_EQ(ole[i], i % 256) << i;
    rs.GetFieldValue(11, v);
    EXPECT_EQ(Bytes(v), std::vector<unsigned char>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    // A GUID's bytes as the structure lays them out.
    rs.GetFieldValue(12, v);
    EXPECT_EQ(Bytes(v), std::vector<unsigned char>({0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 0x12, 0x34, 0x56,
                                                     0x78, 0x9A, 0xBC, 0xDE, 0xF0}));
    rs.GetFieldValue(13, v);
    EXPECT_EQ(v.vt, VT_DECIMAL);
    EXPECT_EQ(v.decVal.scale, 4);
    EXPECT_EQ(v.decVal.sign, 0);
    EXPECT_EQ(v.decVal.Hi32, 0u);
    EXPECT_EQ(v.decVal.Lo64, 123456789u);
}

TEST_F(AllTypes, NullsEmptiesAndTheOtherRecords)
{
    rs.MoveNext();  // row 2: false, an empty text, a negative decimal
    rs.GetFieldValue(0, v);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, VARIANT_FALSE);
    rs.GetFieldValue(4, v);
    EXPECT_EQ(v.cyVal.int64, -12345678);
    rs.GetFieldValue(8, v);
    EXPECT_EQ(Text(v), "");
    rs.GetFieldValue(13, v);
    EXPECT_EQ(v.decVal.sign, DECIMAL_NEG);
    EXPECT_EQ(v.decVal.Lo64, 995000u);

    rs.MoveNext();  // row 3: every field but the yes/no one without a value
    rs.GetFieldValue(0, v);
    EXPECT_EQ(v.vt, VT_BOOL);
    for (int f = 1; f < 14; ++f) {
        rs.GetFieldValue(f, v);
        EXPECT_EQ(v.vt, VT_NULL) << f;
    }

    rs.MoveNext();  // row 4: text outside ASCII, in the program's code page; an empty binary
    rs.GetFieldValue(8, v);
    EXPECT_EQ(Text(v), AnsiFromUtf8("M\xC3\xBCller caf\xC3\xA9"));
    rs.GetFieldValue(9, v);
    EXPECT_EQ(Text(v).size(), 100000u);
    rs.GetFieldValue(11, v);
    EXPECT_TRUE(Bytes(v).empty());

    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    // Past the last record there is no current one.
    try {
        rs.GetFieldValue(0, v);
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        ASSERT_NE(e->m_pErrorInfo, nullptr);
        EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "No current record.");
        e->Delete();
    }
    // A field index outside the record.
    rs.MoveFirst();
    try {
        rs.GetFieldValue(14, v);
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "Item not found in this collection.");
        e->Delete();
    }
}

TEST(DaoRecordset, CountsTheVisitedRecordsAndAllAfterMoveLast)
{
    FixtureCopies files;
    CDaoDatabase db;
    db.Open(files.Copy("rows.mdb").c_str(), FALSE, FALSE, "");

    CDaoRecordset big(&db);
    big.Open(dbOpenSnapshot, "SELECT TOP 1000 [Id], [Label], [Amount], [Stamp] FROM Big1500", 0);
    EXPECT_FALSE(big.IsEOF());
    EXPECT_EQ(big.GetRecordCount(), 1);
    big.MoveLast();
    EXPECT_EQ(big.GetRecordCount(), 1000);
    big.MoveFirst();
    EXPECT_EQ(big.GetFieldValue(0).lVal, 1);
    big.Close();
    EXPECT_FALSE(big.IsOpen());

    CDaoRecordset empty(&db);
    empty.Open(dbOpenSnapshot, "SELECT TOP 1000 [Id], [Name], [Value] FROM Empty", 0);
    EXPECT_TRUE(empty.IsEOF());
    EXPECT_EQ(empty.GetRecordCount(), 0);
    try {
        empty.MoveNext();
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "No current record.");
        e->Delete();
    }

    // A table name with a blank must be bracketed: bare, the engine rejects the text.
    CDaoRecordset box(&db);
    try {
        box.Open(dbOpenSnapshot, "SELECT TOP 1000 [Team] FROM Box Score", 0);
        ADD_FAILURE() << "no exception";
    } catch (CDaoException* e) {
        EXPECT_EQ(std::string(e->m_pErrorInfo->m_strDescription), "Syntax error in FROM clause.");
        e->Delete();
    }
    EXPECT_FALSE(box.IsOpen());
    box.Open(dbOpenSnapshot, "SELECT TOP 1000 [Team], [Final Score] FROM [Box Score]", 0);
    EXPECT_EQ(box.GetFieldValue(1).iVal, 24);
}

TEST(DaoRecordset, TextOutsideTheCodePageBecomesItsDefaultCharacter)
{
    FixtureCopies files;
    CDaoDatabase db;
    db.Open(files.Copy("real/jackcess-V2003-testUnicodeComp.mdb").c_str(), FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenSnapshot, "SELECT TOP 1000 [ID], [Unicode] FROM [Table]", 0);
    std::vector<std::string> texts;
    for (; !rs.IsEOF(); rs.MoveNext()) texts.push_back(Text(rs.GetFieldValue(1)));
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[1], AnsiFromUtf8("\xC3\xA4\xC3\xA4kk\xC3\xB6si\xC3\xA4"));  // ääkkösiä
    EXPECT_EQ(texts[2], AnsiFromUtf8("\xD0\x9C\xD0\xB8\xD1\x80"));              // Мир, as the code page has it
}
