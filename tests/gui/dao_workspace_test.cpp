// CDaoWorkspace::CompactDatabase over the engine's compaction: a readable
// copy, and the refusals that reach the caller as CDaoException while the
// source stays as it was and no destination is left behind.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include "afxdao.h"
#include "dao_test_files.h"

namespace {
const char kLocale[] = ";LANGID=0x0409;CP=1252;COUNTRY=0";

std::string Failure(const std::string& source, const std::string& destination, int options = 0)
{
    try {
        CDaoWorkspace::CompactDatabase(source.c_str(), destination.c_str(), kLocale, options);
    } catch (CDaoException* e) {
        std::string text = e->m_pErrorInfo ? std::string(e->m_pErrorInfo->m_strDescription) : "<no error record>";
        e->Delete();
        return text;
    }
    return "<no exception>";
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<char> Bytes(const std::string& path)
{
    std::vector<char> out;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.insert(out.end(), buffer, buffer + got);
    ::CloseHandle(h);
    return out;
}

// A value as comparable bytes: its type and its text form.
std::string Text(const VARIANT& v)
{
    if (v.vt == VT_NULL) return "<null>";
    VARIANT t;
    ::VariantInit(&t);
    std::string out = std::to_string(v.vt) + ":";
    const VARIANT* text = &v;
    if (v.vt != VT_BSTR) {
        if (FAILED(::VariantChangeType(&t, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return out + "?";
        text = &t;
    }
    const char* raw = reinterpret_cast<const char*>(text->bstrVal);
    out.append(raw, ::SysStringByteLen(text->bstrVal));
    ::VariantClear(&t);
    return out;
}

// Every value of the first 1000 records of a table, as text.
std::vector<std::string> Values(const std::string& file, const char* sql)
{
    CDaoDatabase db;
    db.Open(file.c_str(), FALSE, FALSE, "");
    CDaoRecordset rs(&db);
    rs.Open(dbOpenSnapshot, sql, 0);
    std::vector<std::string> out;
    for (; !rs.IsEOF(); rs.MoveNext())
        for (short f = 0; f < rs.GetFieldCount(); ++f) {
            COleVariant v;
            rs.GetFieldValue(f, v);
            out.push_back(Text(v));
        }
    return out;
}
} // namespace

TEST(DaoWorkspace, CompactDatabaseWritesACopyThatReadsTheSame)
{
    FixtureCopies files;
    const std::string source = files.Copy("NflSummary.mdb");
    const std::string copy = files.Missing("NflSummary.tmp");
    const std::vector<char> before = Bytes(source);
    CDaoWorkspace workspace;  // constructed around the call, never opened
    workspace.CompactDatabase(source.c_str(), copy.c_str(), kLocale, 0);
    ASSERT_TRUE(Exists(copy));
    EXPECT_EQ(Bytes(source), before);
    EXPECT_LE(Bytes(copy).size(), before.size());
    const char* sql = "SELECT TOP 1000 [GameId], [HomeTeam], [Kickoff], [Final], [Notes] FROM [Games]";
    const std::vector<std::string> expected = Values(source, sql);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(Values(copy, sql), expected);
}

TEST(DaoWorkspace, RefusalsArriveAsDaoExceptionsAndLeaveNothingBehind)
{
    FixtureCopies files;
    const std::string source = files.Copy("rows.mdb");
    const std::vector<char> before = Bytes(source);

    // An existing destination is neither replaced nor removed.
    const std::string taken = files.Copy("types.mdb");
    const std::vector<char> takenBytes = Bytes(taken);
    EXPECT_EQ(Failure(source, taken), "Database already exists.");
    EXPECT_EQ(Bytes(taken), takenBytes);

    const std::string missing = files.Missing("nothing.mdb");
    const std::string out = files.Missing("out.tmp");
    EXPECT_NE(Failure(missing, out).find("Could not find file"), std::string::npos);
    EXPECT_FALSE(Exists(out));

    const std::string notes = files.Copy("README.md");
    EXPECT_NE(Failure(notes, out).find("Unrecognized database format"), std::string::npos);
    EXPECT_FALSE(Exists(out));

    // Someone has the database open: Jet needs it to itself.
    {
        CDaoDatabase db;
        db.Open(source.c_str(), FALSE, FALSE, "");
        EXPECT_EQ(Failure(source, out), "Could not use '" + source + "'; file already in use.");
        EXPECT_FALSE(Exists(out));
    }
    // A format change is not offered (dbVersion30 on a Jet 4 file).
    EXPECT_EQ(Failure(source, out, 32), "Invalid argument.");
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(Bytes(source), before);

    // Once the database is closed it compacts.
    EXPECT_EQ(Failure(source, out), "<no exception>");
    EXPECT_TRUE(Exists(out));
}
