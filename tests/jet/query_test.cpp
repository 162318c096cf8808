// The viewer's query text: what it accepts and how it refuses the rest.
#include "fixture.h"

#include "jet/reading/query.h"

using jettest::TempDir;

namespace {

std::string error_text(jet::Database& db, const std::string& sql)
{
    return jettest::error_of([&] { db.open_snapshot(sql); }).description();
}

const std::string kSelectError =
    "The SELECT statement includes a reserved word or an argument name that is misspelled or missing, or the "
    "punctuation is incorrect.";

}  // namespace

TEST(Query, TheShapeTheViewerBuilds)
{
    jet::SelectQuery q = jet::parse_query("SELECT TOP 1000 [A], [X Y], [Z] FROM T1");
    EXPECT_EQ(q.top, 1000u);
    EXPECT_EQ(q.fields, (std::vector<std::string>{"A", "X Y", "Z"}));
    EXPECT_EQ(q.table, "T1");
    EXPECT_FALSE(q.all_fields);

    q = jet::parse_query("  select\ttop 5\r\n[Team],Q1 ,  [Final Score]\nfrom\n[Box Score] ; ");
    EXPECT_EQ(q.top, 5u);
    EXPECT_EQ(q.fields, (std::vector<std::string>{"Team", "Q1", "Final Score"}));
    EXPECT_EQ(q.table, "Box Score");

    q = jet::parse_query("Select * From Four");
    EXPECT_TRUE(q.all_fields);
    EXPECT_FALSE(q.top.has_value());
}

TEST(Query, SyntaxErrorsWordedAsJetWordsThem)
{
    auto err = [](const std::string& sql) {
        return jettest::error_of([&] { jet::parse_query(sql); });
    };
    EXPECT_EQ(err("SELECT TOP 1000 [Team] FROM Box Score").description(), "Syntax error in FROM clause.");
    EXPECT_EQ(err("SELECT TOP 1000 [Team] FROM Box Score").number(), jet::kFromClauseSyntax);
    EXPECT_EQ(err("SELECT [A] FROM").description(), "Syntax error in FROM clause.");
    EXPECT_EQ(err("SELECT [A] FROM T1 WHERE [A] = 1").description(), "Syntax error in FROM clause.");
    EXPECT_EQ(err("SELECT TOP 1000  FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT TOP [A] FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT TOP 0 [A] FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT TOP 10 PERCENT [A] FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT [A] + 1 FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT [A] AS B FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT [A], FROM T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT [A] T1").description(), kSelectError);
    EXPECT_EQ(err("SELECT [A] FROM T1; SELECT").description(), "Characters found after end of SQL statement.");
    EXPECT_EQ(err("SELECT [A FROM T1").description(), "Invalid bracketing of name '[A FROM T1'.");
    EXPECT_EQ(err("UPDATE T1 SET A = 1").description(),
              "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.");
    EXPECT_EQ(err("").number(), jet::kInvalidStatement);
}

TEST(Query, RunsAgainstTables)
{
    TempDir tmp;
    jet::Database db(tmp.copy("rows.mdb"));
    jet::Snapshot s = db.open_snapshot("SELECT TOP 1000 [A], [X Y], [Z] FROM T1");
    ASSERT_EQ(s.field_count(), 3);
    EXPECT_EQ(s.fields()[1].name, "X Y");
    EXPECT_EQ(s.fields()[1].dao_type, jet::dbText);
    EXPECT_EQ(s.fields()[1].size, 10);
    EXPECT_EQ(jettest::u8(s.value(1).text()), "xy1");
    EXPECT_EQ(s.value(2).long_integer(), 1);

    // Fields in the order the query names them; names and keywords in any case.
    s = db.open_snapshot("select top 2 [z], [a] from t1");
    EXPECT_EQ(s.value(0).long_integer(), 1);
    EXPECT_EQ(jettest::u8(s.value(1).text()), "a1");
    EXPECT_EQ(s.size(), 2u);

    s = db.open_snapshot("SELECT TOP 1000 [Team], [Q1], [Q2], [Q3], [Q4], [Final Score] FROM [Box Score]");
    EXPECT_EQ(s.size(), 2u);
    EXPECT_EQ(s.value(5).integer(), 24);

    EXPECT_EQ(db.open_snapshot("SELECT TOP 3 * FROM Big1500").size(), 3u);
    EXPECT_EQ(db.open_snapshot("SELECT TOP 1000 [Id] FROM Big1500").size(), 1000u);
    EXPECT_EQ(db.open_snapshot("SELECT [Id] FROM Big1500").size(), 1500u);
}

TEST(Query, UnknownTablesAndFields)
{
    TempDir tmp;
    jet::Database db(tmp.copy("rows.mdb"));
    EXPECT_EQ(error_text(db, "SELECT TOP 1000 [A] FROM Nowhere"),
              "The database engine cannot find the input table or query 'Nowhere'.  Make sure it exists and that "
              "its name is spelled correctly.");
    const jet::Error e = jettest::error_of([&] { db.open_snapshot("SELECT TOP 1000 [A], [Nope] FROM T1"); });
    EXPECT_EQ(e.number(), jet::kTooFewParameters);
    EXPECT_EQ(e.description(), "Too few parameters. Expected 1.");
    EXPECT_EQ(error_text(db, "SELECT [B], [A], [C] FROM T1"), "Too few parameters. Expected 2.");
}

// A word of the engine's SQL, in any case, stands as a field or table name only
// in brackets; a name that merely resembles one stands bare.
struct BareName {
    const char* name;
    bool reserved;
};

class BareNames : public ::testing::TestWithParam<BareName> {};

TEST_P(BareNames, StandOnlyWhenNoWordOfSql)
{
    const std::string name = GetParam().name;
    EXPECT_EQ(jet::is_reserved_word(name), GetParam().reserved);
    auto number = [](const std::string& sql) {
        try {
            jet::parse_query(sql);
            return 0;
        } catch (const jet::Error& e) {
            return e.number();
        }
    };
    const int select = GetParam().reserved ? jet::kSelectSyntax : 0;
    const int from = GetParam().reserved ? jet::kFromClauseSyntax : 0;
    EXPECT_EQ(number("SELECT [A], " + name + " FROM T1"), select);
    EXPECT_EQ(number("SELECT [A] FROM " + name), from);
    EXPECT_EQ(number("SELECT [" + name + "] FROM [" + name + "]"), 0);
}

INSTANTIATE_TEST_SUITE_P(Words, BareNames,
                         ::testing::Values(BareName{"Table", true}, BareName{"date", true}, BareName{"VALUE", true},
                                           BareName{"Order", true}, BareName{"Orders", false},
                                           BareName{"Scores", false}, BareName{"T_1", false}));
