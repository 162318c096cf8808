// The viewer's rewrite pass, every field of every record written back with
// the value it holds, leaves every byte of the file as it was: on every
// table of every fixture (the password-protected ones do not open).
#include "writer_fixture.h"

#include <cstdlib>

using namespace jettest;

namespace {

struct PassCount {
    long cycles = 0;
    long written = 0;
};

// One pass as the viewer makes it: TOP 1000, every field, one edit/update each.
PassCount rewrite_pass(jet::Database& db, const std::string& table, const std::vector<std::string>& fields)
{
    std::string sql = "SELECT TOP 1000 ";
    for (std::size_t i = 0; i < fields.size(); ++i) sql += (i ? ", [" : "[") + fields[i] + "]";
    jet::Dynaset d = db.open_dynaset(sql + " FROM [" + table + "]");
    PassCount n;
    jet::Value v;
    for (; !d.is_eof(); d.move_next())
        for (int f = 0; f < d.field_count(); ++f) {
            d.read(f, v);
            d.edit();
            d.set_value(f, v);
            n.written += d.update() ? 1 : 0;
            ++n.cycles;
        }
    return n;
}

const char* const kFixtures[] = {
    "NflSummary.mdb", "autonumber.mdb", "catalog.mdb", "indexed.mdb", "perf.mdb", "rows.mdb", "types.mdb",
    "v2003.mdb", "wide.mdb", "real/jackcess-V1997-delTest.mdb", "real/jackcess-V1997-overflowTest.mdb",
    "real/jackcess-V1997-test.mdb", "real/jackcess-V1997-test2.mdb", "real/jackcess-V2000-delTest.mdb",
    "real/jackcess-V2000-overflowTest.mdb", "real/jackcess-V2000-test.mdb",
    "real/jackcess-V2003-testUnicodeComp.mdb", "real/mdbreader-V2000-numeric.mdb", "real/mdbreader-V2003-test.mdb",
};

// 100 passes, fewer for big tables: about 100 000 field updates per table
// (QM_FULL_REWRITE=1: 100 passes everywhere).
int passes_for(long cycles_per_pass)
{
    const char* full = std::getenv("QM_FULL_REWRITE");
    if ((full && *full == '1') || cycles_per_pass == 0) return 100;
    return static_cast<int>(std::clamp<long>(100000 / cycles_per_pass, 1, 100));
}

class SameValueRewrite : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(SameValueRewrite, LeavesEveryByte)
{
    TempDir tmp;
    const std::string fixture = GetParam();
    const std::string file = tmp.copy(fixture);
    if (fixture == "catalog.mdb") tmp.copy("NflSummary.mdb");  // the target of its linked table
    const auto before = read_file(std::filesystem::u8path(file));
    const auto linked_before = read_file(tmp.path() / "NflSummary.mdb");
    {
        jet::Database db(file);
        for (std::size_t t = 0; t < db.table_count(); ++t) {
            const jet::CatalogueEntry& entry = db.table(t);
            if (entry.kind == jet::TableKind::System) continue;
            const jet::TableDefinition def = db.table_definition(entry.name);
            std::vector<std::string> fields;
            bool auto_number = false;
            for (const jet::Column& c : def.columns) {
                if (c.auto_number()) auto_number = true;
                else fields.push_back(c.name);
            }
            const Records values = records(db, entry.name);
            const PassCount first = rewrite_pass(db, entry.name, fields);
            const int passes = passes_for(first.cycles);
            long written = first.written;
            for (int p = 1; p < passes; ++p) written += rewrite_pass(db, entry.name, fields).written;
            EXPECT_EQ(written, 0) << entry.name;
            EXPECT_EQ(records(db, entry.name), values) << entry.name;
            RecordProperty(entry.name, std::to_string(passes) + " passes of " + std::to_string(first.cycles) +
                                           " updates" + (auto_number ? ", auto-number left out" : ""));
        }
    }
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
    EXPECT_EQ(read_file(tmp.path() / "NflSummary.mdb"), linked_before);
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / (std::filesystem::u8path(file).stem().u8string() + u8".ldb")));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SameValueRewrite, ::testing::ValuesIn(kFixtures),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = std::filesystem::path(info.param).stem().string();
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
