// Records as the snapshot cursor returns them, from real files.
#include "fixture.h"

using jettest::TempDir;
using jettest::u8;

namespace {

std::vector<std::vector<jet::Value>> all_rows(jet::Snapshot s)
{
    std::vector<std::vector<jet::Value>> out;
    for (; !s.is_eof(); s.move_next()) {
        std::vector<jet::Value> row;
        for (int f = 0; f < s.field_count(); ++f) row.push_back(s.value(f));
        out.push_back(std::move(row));
    }
    return out;
}

int field(const jet::Snapshot& s, const std::string& name)
{
    for (int f = 0; f < s.field_count(); ++f)
        if (s.fields()[static_cast<std::size_t>(f)].name == name) return f;
    ADD_FAILURE() << "no field " << name;
    return 0;
}

std::string text(const jet::Value& v) { return v.is_null() ? "<null>" : u8(v.text()); }

}  // namespace

TEST(Snapshot, EveryTypeOfAllTypes)
{
    TempDir tmp;
    jet::Database db(tmp.copy("types.mdb"));
    const jet::Snapshot s = db.open_table("AllTypes");
    const auto rows = all_rows(s);
    ASSERT_EQ(rows.size(), 4u);
    const auto& r1 = rows[0];
    EXPECT_TRUE(r1[0].boolean());
    EXPECT_EQ(r1[1].byte(), 255);
    EXPECT_EQ(r1[2].integer(), -32768);
    EXPECT_EQ(r1[3].long_integer(), 70000);
    EXPECT_EQ(r1[4].currency(), 123400);
    EXPECT_EQ(r1[5].single(), 0.25f);
    EXPECT_EQ(r1[6].double_value(), 2.5);
    jet::DateParts d;
    ASSERT_TRUE(jet::split_date(r1[7].date(), d));
    EXPECT_EQ(std::vector<long long>({d.year, d.month, d.day, d.hour, d.minute, d.second}),
              std::vector<long long>({2026, 12, 7, 15, 7, 59}));
    EXPECT_EQ(text(r1[8]), "hello");
    const std::u16string& memo = r1[9].text();  // a long-value chain
    ASSERT_EQ(memo.size(), 5000u);
    for (std::size_t i = 0; i < memo.size(); ++i) ASSERT_EQ(memo[i], u'A' + i % 26) << i;
    const std::vector<std::uint8_t>& ole = r1[10].bytes();
    ASSERT_EQ(ole.size(), 10000u);
    for (std::size_t i = 0; i < ole.size(); ++i) ASSERT_EQ(ole[i], i % 256) << i;
    EXPECT_EQ(r1[11].bytes(), std::vector<std::uint8_t>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(r1[12].bytes(), std::vector<std::uint8_t>({0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 0x12, 0x34,
                                                         0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}));
    EXPECT_EQ(r1[13].decimal().to_string(), "12345.6789");
    EXPECT_EQ(r1[13].decimal().precision, 18);
    EXPECT_EQ(r1[13].decimal().scale, 4);

    const auto& r2 = rows[1];
    EXPECT_FALSE(r2[0].boolean());
    EXPECT_EQ(jet::currency_to_string(r2[4].currency()), "-1234.5678");
    EXPECT_EQ(r2[6].double_value(), -0.0004);
    EXPECT_EQ(r2[8].kind(), jet::ValueKind::Text);  // empty, not NULL
    EXPECT_EQ(text(r2[8]), "");
    EXPECT_EQ(text(r2[9]), "short memo");  // inline long value
    EXPECT_EQ(r2[10].bytes(), std::vector<std::uint8_t>({1, 2, 3}));
    EXPECT_EQ(r2[13].decimal().to_string(), "-99.5000");

    // Row 3: NULL everywhere; the yes/no field has no NULL and reads false.
    EXPECT_EQ(rows[2][0].kind(), jet::ValueKind::Boolean);
    EXPECT_FALSE(rows[2][0].boolean());
    for (std::size_t f = 1; f < rows[2].size(); ++f) EXPECT_TRUE(rows[2][f].is_null()) << f;

    const auto& r4 = rows[3];
    EXPECT_EQ(jet::currency_to_string(r4[4].currency()), "922337203685477.5807");
    EXPECT_EQ(r4[5].single(), 0.1f);
    EXPECT_EQ(text(r4[8]), "M\xC3\xBCller caf\xC3\xA9");
    EXPECT_EQ(r4[9].text().size(), 100000u);
    EXPECT_EQ(r4[9].text().substr(99990), u"0123456789");
    EXPECT_EQ(r4[10].bytes(), std::vector<std::uint8_t>({0}));
    EXPECT_EQ(r4[11].kind(), jet::ValueKind::Binary);  // empty, not NULL
    EXPECT_TRUE(r4[11].bytes().empty());
    EXPECT_EQ(r4[13].decimal().to_string(), "0.0001");
}

TEST(Snapshot, LongValueFormsOfMemos)
{
    TempDir tmp;
    jet::Database db(tmp.copy("NflSummary.mdb"));
    const jet::Snapshot s = db.open_snapshot("SELECT [GameId], [Notes] FROM Games");
    const auto rows = all_rows(s);
    ASSERT_EQ(rows.size(), 272u);
    // GameId 1: 3000 characters over a chain of LVAL pages.
    std::string expected;
    for (int k = 1; expected.size() < 3000; ++k)
        expected += "Drive " + std::to_string(k) + ": Ashford moved the ball " +
                    std::to_string(10 + ((k - 1) * 7) % 60) + " yards. ";
    expected.resize(3000);
    EXPECT_EQ(text(rows[0][1]), expected);
    // GameId 25: one LVAL row. GameId 27: inline. GameId 2: NULL.
    EXPECT_EQ(text(rows[24][1]), "Weather delay.\r\nResumed after 45 minutes.\r\nFinal drive decided it.");
    EXPECT_EQ(text(rows[26][1]), "Decided in overtime.");
    EXPECT_TRUE(rows[1][1].is_null());
    EXPECT_EQ(text(rows[271][1]), "Scheduled");
}

TEST(Snapshot, CompressedAndPlainUnicodeText)
{
    TempDir tmp;
    jet::Database db(tmp.copy("real/jackcess-V2003-testUnicodeComp.mdb"));
    const auto rows = all_rows(db.open_table("Table"));
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(text(rows[0][1]), "only ascii chars");
    EXPECT_EQ(rows[1][1].text(), u"\u00e4\u00e4kk\u00f6si\u00e4");
    EXPECT_EQ(rows[2][1].text(), u"\u041c\u0438\u0440");
    EXPECT_EQ(rows[4][1].text(), u"\u6f22\u5b57\u4eee\u540d\u4ea4\u3058\u308a\u6587");
    EXPECT_EQ(rows[5][1].text(), u"3L9\u001d52\u0002_AB(\u00a5\u0005!!V");
    std::u16string all;
    for (char16_t c = 1; c <= 0xFF; ++c) all.push_back(c);
    EXPECT_EQ(rows[7][1].text(), all);
}

TEST(Snapshot, OverflowRowsAtTheirOriginalSlotAndDeletedRowsSkipped)
{
    TempDir tmp;
    for (const char* name : {"real/jackcess-V2000-overflowTest.mdb", "real/jackcess-V1997-overflowTest.mdb"}) {
        jet::Database db(tmp.copy(name));
        const jet::Snapshot s = db.open_table("Table1");
        const auto rows = all_rows(s);
        ASSERT_EQ(rows.size(), 7u) << name;
        const int d1 = field(s, "data1"), d3 = field(s, "data3"), d9 = field(s, "data9");
        EXPECT_EQ(text(rows[0][d1]), "row1col1");
        EXPECT_EQ(text(rows[2][d3]), "row3col3") << name;
        EXPECT_EQ(text(rows[2][d9]), "row3col9");
        EXPECT_EQ(text(rows[3][d1]), "row4col1");
        EXPECT_EQ(text(rows[4][d3]), "row5col2");
        EXPECT_EQ(text(rows[6][d1]), "row7col1");
    }
    for (const char* name : {"real/jackcess-V2000-delTest.mdb", "real/jackcess-V1997-delTest.mdb"}) {
        jet::Database db(tmp.copy(name));
        const auto rows = all_rows(db.open_table("Table"));
        ASSERT_EQ(rows.size(), 2u) << name;
        EXPECT_EQ(text(rows[0][0]) + text(rows[0][1]) + text(rows[1][0]) + text(rows[1][1]), "zyvu");
    }
}

TEST(Snapshot, Jet3Values)
{
    TempDir tmp;
    jet::Database db(tmp.copy("real/jackcess-V1997-test.mdb"));
    const auto rows = all_rows(db.open_table("Table1"));
    ASSERT_EQ(rows.size(), 2u);
    // Storage order: the "a" row first in this file.
    EXPECT_EQ(text(rows[0][0]), "a");
    EXPECT_EQ(rows[0][6].date(), 29932.0);
    EXPECT_FALSE(rows[0][8].boolean());
    EXPECT_EQ(text(rows[1][0]), "abcdefg");
    EXPECT_EQ(text(rows[1][1]), "hijklmnop");
    EXPECT_EQ(rows[1][2].byte(), 2);
    EXPECT_EQ(rows[1][3].integer(), 222);
    EXPECT_EQ(rows[1][4].long_integer(), 333333333);
    EXPECT_EQ(rows[1][5].double_value(), 444.555);
    EXPECT_EQ(rows[1][7].currency(), 35000);
    EXPECT_TRUE(rows[1][8].boolean());

    jet::Database project(tmp.copy("real/jackcess-V1997-test2.mdb"));
    const jet::Snapshot p = project.open_table("MSP_PROJECTS");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p.field_count(), 74);
    EXPECT_EQ(text(p.value(field(p, "PROJ_NAME"))), "Project1");
    EXPECT_EQ(p.value(field(p, "PROJ_OPT_CURRENCY_SYMBOL")).text(), u"\u00a3");  // code page 1252
    EXPECT_EQ(p.value(field(p, "PROJ_PROP_AUTHOR")).text().size(), 348u);
}

TEST(Snapshot, TheWidestTable)
{
    TempDir tmp;
    jet::Database db(tmp.copy("wide.mdb"));
    const auto rows = all_rows(db.open_table("Wide255"));
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t r = 0; r < 3; ++r) {
        ASSERT_EQ(rows[r].size(), 255u);
        for (std::size_t i = 1; i <= 255; ++i) {
            const jet::Value& v = rows[r][i - 1];
            if (i % 2)
                EXPECT_EQ(v.long_integer(), static_cast<std::int32_t>(1000 * (r + 1) + i));
            else
                EXPECT_EQ(text(v), std::string(1, 'r').append(std::to_string(r + 1)).append(1, 'c').append(std::to_string(i)));
        }
    }
}

TEST(Snapshot, LinkedTablesReadThroughToTheirTarget)
{
    TempDir tmp;
    const std::string catalog = tmp.copy("catalog.mdb");
    const jet::Error missing = jettest::error_of([&] { jet::Database(catalog).open_table("LinkedGames"); });
    EXPECT_EQ(missing.number(), jet::kFileNotFound);
    EXPECT_EQ(missing.description(), "Could not find file '" + jettest::utf8_of(tmp.path() / "NflSummary.mdb") + "'.");

    tmp.copy("NflSummary.mdb");
    jet::Database db(catalog);
    const jet::TableDefinition def = db.table_definition("LinkedGames");
    ASSERT_EQ(def.columns.size(), 11u);
    EXPECT_EQ(def.columns[0].name, "GameId");
    jet::Snapshot s = db.open_snapshot("SELECT TOP 1000 [GameId], [HomeTeam] FROM LinkedGames");
    s.move_last();
    EXPECT_EQ(s.record_count(), 272);
    EXPECT_EQ(s.value(0).long_integer(), 272);
    EXPECT_EQ(text(s.value(1)), "BRW");
}

TEST(Snapshot, CursorMovementAndRecordCount)
{
    TempDir tmp;
    jet::Database db(tmp.copy("rows.mdb"));
    jet::Snapshot s = db.open_snapshot("SELECT TOP 1000 [Id], [Label] FROM Big1500");
    EXPECT_FALSE(s.is_eof());
    EXPECT_EQ(s.record_count(), 1);  // DAO counts the records visited so far
    s.move_last();
    EXPECT_EQ(s.record_count(), 1000);
    EXPECT_EQ(s.value(0).long_integer(), 1000);
    s.move_first();
    EXPECT_EQ(text(s.value(1)), "Row 0001");
    EXPECT_EQ(jettest::error_of([&] { s.value(2); }).number(), jet::kItemNotFound);
    for (int i = 0; i < 1000; ++i) s.move_next();
    EXPECT_TRUE(s.is_eof());
    EXPECT_EQ(jettest::error_of([&] { s.value(0); }).description(), "No current record.");
    EXPECT_EQ(jettest::error_of([&] { s.move_next(); }).number(), jet::kNoCurrentRecord);

    jet::Snapshot empty = db.open_snapshot("SELECT TOP 1000 [Id], [Name], [Value] FROM Empty");
    EXPECT_TRUE(empty.is_eof());
    EXPECT_EQ(empty.record_count(), 0);
    EXPECT_EQ(empty.field_count(), 3);
    EXPECT_EQ(jettest::error_of([&] { empty.move_last(); }).number(), jet::kNoCurrentRecord);
}

TEST(Snapshot, ReadsSeeWhatWasWrittenSinceTheDatabaseOpened)
{
    TempDir tmp;
    const std::string path = tmp.copy("rows.mdb");
    jet::Database db(path);
    EXPECT_EQ(text(db.open_snapshot("SELECT [Word] FROM Four").value(0)), "one");
    // Another program rewrites the row in place: "one" becomes "uno".
    std::vector<std::uint8_t> bytes = jettest::read_file(path);
    const std::string from = "one", to = "uno";
    std::size_t hits = 0;
    for (std::size_t i = 0; i + 5 <= bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xFE && std::equal(from.begin(), from.end(), bytes.begin() + i + 2)) {
            std::copy(to.begin(), to.end(), bytes.begin() + i + 2);
            ++hits;
        }
    ASSERT_GE(hits, 1u);
    jettest::overwrite_file(path, bytes);
    EXPECT_EQ(text(db.open_snapshot("SELECT [Word] FROM Four").value(0)), "uno");
}
