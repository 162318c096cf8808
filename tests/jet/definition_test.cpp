// Table definitions: fields with DAO types and sizes, and what a writer needs.
#include "fixture.h"

using jettest::TempDir;

namespace {

struct Field {
    std::string name;
    int type;
    int size;
    bool operator==(const Field&) const = default;
};

std::vector<Field> fields(jet::Database& db, const std::string& table)
{
    std::vector<Field> out;
    const jet::TableDefinition t = db.table_definition(table);
    for (const jet::Column& c : t.columns) out.push_back({c.name, c.dao_type(), c.dao_size(t.version)});
    return out;
}

}  // namespace

TEST(Definition, DaoTypesAndSizes)
{
    TempDir tmp;
    jet::Database db(tmp.copy("types.mdb"));
    EXPECT_EQ(fields(db, "AllTypes"), (std::vector<Field>{
                                          {"ColBoolean", 1, 1}, {"ColByte", 2, 1},   {"ColInt", 3, 2},
                                          {"ColLong", 4, 4},    {"ColMoney", 5, 8},  {"ColFloat", 6, 4},
                                          {"ColDouble", 7, 8},  {"ColDate", 8, 8},   {"ColText", 10, 50},
                                          {"ColMemo", 12, 0},   {"ColOle", 11, 0},   {"ColBinary", 9, 16},
                                          {"ColGuid", 15, 16},  {"ColNumeric", 20, 16},
                                      }));
    const jet::TableDefinition t = db.table_definition("alltypes");
    EXPECT_TRUE(t.find("ColLong")->fixed());
    EXPECT_FALSE(t.find("ColText")->fixed());
    EXPECT_TRUE(t.find("ColMemo")->long_value());
    EXPECT_NE(t.find("ColMemo")->long_value_owned_map.raw(), 0u);
    EXPECT_EQ(t.find("ColNumeric")->precision, 18);
    EXPECT_EQ(t.find("ColNumeric")->scale, 4);
    EXPECT_EQ(t.row_count, 4u);
    EXPECT_EQ(jettest::error_of([&] { db.table_definition("Missing"); }).number(), jet::kItemNotFound);
}

TEST(Definition, Jet3TextSizesAndChainedDefinitions)
{
    TempDir tmp;
    jet::Database db(tmp.copy("real/jackcess-V1997-test.mdb"));
    const std::vector<Field> t1 = fields(db, "Table1");
    EXPECT_EQ(t1[0], (Field{"A", 10, 50}));
    EXPECT_EQ(t1[1], (Field{"B", 10, 100}));
    const std::vector<Field> t2 = fields(db, "Table2");  // 89 columns: a definition over two pages
    ASSERT_EQ(t2.size(), 89u);
    EXPECT_EQ(t2[88], (Field{"column89", 10, 50}));
    EXPECT_EQ(fields(db, "Table4")[1], (Field{"data", 15, 16}));

    jet::Database v2000(tmp.copy("real/jackcess-V2000-test.mdb"));
    ASSERT_EQ(fields(v2000, "Table2").size(), 89u);
}

TEST(Definition, FieldOrderIsColumnNumberOrder)
{
    // MSysObjects stores its descriptors out of column-number order.
    TempDir tmp;
    jet::Database db(tmp.copy("real/jackcess-V2000-test.mdb"));
    const std::vector<Field> f = fields(db, "MSysObjects");
    ASSERT_GE(f.size(), 17u);
    EXPECT_EQ(f[0].name, "Id");
    EXPECT_EQ(f[2].name, "Name");
    EXPECT_EQ(f[9].name, "Connect");
    const jet::TableDefinition t = db.table_definition("MSysObjects");
    EXPECT_EQ(t.table_type, 'S');
    for (std::size_t i = 1; i < t.columns.size(); ++i) EXPECT_LT(t.columns[i - 1].number, t.columns[i].number);
}

TEST(Definition, IndexesAndAutoNumbers)
{
    TempDir tmp;
    jet::Database db(tmp.copy("indexed.mdb"));
    const jet::TableDefinition t = db.table_definition("Keyed");
    std::vector<std::string> names;
    for (const jet::LogicalIndex& x : t.indexes) names.push_back(x.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CodeIdx", "EventDateIdx", "PrimaryKey"}));
    EXPECT_EQ(t.find("KeyId")->real_indexes.size(), 1u);
    EXPECT_EQ(t.find("Code")->real_indexes.size(), 1u);
    EXPECT_TRUE(t.find("Qty")->real_indexes.empty());
    EXPECT_TRUE(t.find("Comment")->real_indexes.empty());
    const jet::RealIndex& pk = t.real_indexes[t.find("KeyId")->real_indexes[0]];
    EXPECT_TRUE(pk.flags & 0x01);  // unique

    jet::Database autonumber(tmp.copy("autonumber.mdb"));
    const jet::TableDefinition plays = autonumber.table_definition("Plays");
    EXPECT_FALSE(plays.find("Quarter")->auto_number());
    EXPECT_TRUE(plays.find("PlayId")->auto_number());
    EXPECT_TRUE(autonumber.table_definition("Scores").find("ScoreId")->auto_number());
}
