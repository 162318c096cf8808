// What the writer refuses, with Jet's errors: auto-number fields, calls out
// of order, values a field cannot take, a database it may not write.
#include "writer_fixture.h"

#include "jet/pages/page_edit.h"
#include "jet/writing/held_pages.h"
#include "jet/rows/row.h"
#include "jet/reading/table_scan.h"

using namespace jettest;

namespace {

// The viewer's pass: every field of every record written with its own value,
// one edit/update each. Returns the cycles completed before a refusal.
int pass_until_refused(jet::Database& db, const std::string& sql, jet::Error& refusal)
{
    jet::Dynaset d = db.open_dynaset(sql);
    int cycles = 0;
    jet::Value v;
    try {
        for (; !d.is_eof(); d.move_next())
            for (int f = 0; f < d.field_count(); ++f) {
                d.read(f, v);
                d.edit();
                d.set_value(f, v);
                d.update();
                ++cycles;
            }
    } catch (const jet::Error& e) {
        refusal = e;
    }
    return cycles;
}

}  // namespace

TEST(WriterRefusals, AutoNumberFields)
{
    TempDir tmp;
    const std::string file = tmp.copy("autonumber.mdb");
    const auto before = read_file(std::filesystem::u8path(file));
    jet::Database db(file);
    jet::Error refusal(0, "");
    // Scores.ScoreId is the first field: refused at once.
    EXPECT_EQ(pass_until_refused(db, "SELECT TOP 1000 [ScoreId], [Team], [Points], [Updated] FROM [Scores]", refusal), 0);
    EXPECT_EQ(refusal.number(), jet::kFieldCannotBeUpdated);
    EXPECT_EQ(refusal.description(), "Field cannot be updated.");
    // Plays.PlayId is the third: the first two fields of the first record go through.
    refusal = jet::Error(0, "");
    EXPECT_EQ(pass_until_refused(db, "SELECT TOP 1000 [Quarter], [Description], [PlayId] FROM [Plays]", refusal), 2);
    EXPECT_EQ(refusal.description(), "Field cannot be updated.");
    // Without the auto-number field the pass goes through every record.
    EXPECT_EQ(pass_until_refused(db, "SELECT TOP 1000 [Quarter], [Description] FROM [Plays]", refusal), 8);
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
}

TEST(WriterRefusals, CallsOutOfOrder)
{
    TempDir tmp;
    jet::Database db(tmp.copy("rows.mdb"));
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Four");
    EXPECT_EQ(error_of([&] { d.update(); }).description(), "Update or CancelUpdate without AddNew or Edit.");
    EXPECT_EQ(error_of([&] { d.set_value(0, long_value(1)); }).number(), jet::kUpdateWithoutEdit);
    d.edit();
    EXPECT_EQ(error_of([&] { d.set_value(2, long_value(1)); }).number(), jet::kItemNotFound);
    d.set_value(0, long_value(40));
    d.cancel_update();
    EXPECT_FALSE(d.editing());
    EXPECT_EQ(d.value(0).long_integer(), 1);
    d.move_last();
    d.move_next();
    EXPECT_EQ(error_of([&] { d.edit(); }).number(), jet::kNoCurrentRecord);
    jet::Dynaset empty = db.open_dynaset("SELECT * FROM Empty");
    EXPECT_TRUE(empty.is_eof());
    EXPECT_EQ(error_of([&] { empty.edit(); }).number(), jet::kNoCurrentRecord);
}

TEST(WriterRefusals, ValuesTheFieldCannotTake)
{
    TempDir tmp;
    const std::string file = tmp.copy("types.mdb");
    jet::Database db(file);
    const Records before = records(db, "AllTypes");
    jet::Dynaset d = db.open_dynaset("SELECT * FROM AllTypes");
    d.edit();
    jet::Value big;
    big.set_long(300);
    EXPECT_EQ(error_of([&] { d.set_value(1, big); }).description(), "Numeric field overflow.");  // a byte
    EXPECT_EQ(error_of([&] { d.set_value(3, text_value(u"12")); }).description(), "Data type conversion error.");
    EXPECT_EQ(error_of([&] { d.set_value(12, bytes_value({1, 2, 3})); }).number(), jet::kDataTypeConversion);  // a GUID
    // Conversions that keep the value are made as a field assignment makes them.
    jet::Value small;
    small.set_integer(42);
    d.set_value(3, small);       // into a long
    d.set_value(6, small);       // into a double
    d.set_value(4, small);       // into currency: 42.0000
    d.set_value(8, text_value(std::u16string(51, u'x')));  // TEXT(50)
    EXPECT_EQ(error_of([&] { d.update(); }).number(), jet::kFieldTooSmall);
    EXPECT_TRUE(d.editing());
    d.set_value(8, text_value(std::u16string(50, u'x')));
    EXPECT_TRUE(d.update());
    EXPECT_EQ(d.value(3).long_integer(), 42);
    EXPECT_EQ(d.value(4).currency(), 420000);
    EXPECT_EQ(d.value(6).double_value(), 42.0);
    Records expected = before;
    expected[0][3] = d.value(3);
    expected[0][4] = d.value(4);
    expected[0][6] = d.value(6);
    expected[0][8] = d.value(8);
    EXPECT_EQ(records(db, "AllTypes"), expected);
}

TEST(WriterRefusals, SystemTablesAndReadOnlyFiles)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    {
        jet::Database db(file);
        jet::Dynaset d = db.open_dynaset("SELECT [Name] FROM MSysObjects");
        d.edit();
        d.set_value(0, d.value(0));
        EXPECT_FALSE(d.update());  // the same value: nothing to write
        d.edit();
        d.set_value(0, text_value(u"Renamed"));
        EXPECT_EQ(error_of([&] { d.update(); }).number(), jet::kReadOnly);
    }
    // A file that may only be read (here: one held in memory).
    jet::Database db(jet::File::in_memory(read_file(std::filesystem::u8path(file))), "copy.mdb");
    ASSERT_FALSE(db.writable());
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Four");
    EXPECT_EQ(d.value(1).text(), u"one");
    EXPECT_EQ(error_of([&] { d.edit(); }).description(), "Cannot update. Database or object is read-only.");
}

TEST(WriterRefusals, RecordDeletedByAnotherProgram)
{
    TempDir tmp;
    const std::string file = tmp.copy("rows.mdb");
    jet::Database db(file);
    jet::Dynaset d = db.open_dynaset("SELECT * FROM Four");
    // Mark the slot of the first record deleted, as another program would.
    {
        jet::Database other(file);
        const jet::TableDefinition def = other.table_definition("Four");
        std::vector<std::uint8_t> bytes = read_file(std::filesystem::u8path(file));
        std::uint32_t page = 0;
        for (std::uint32_t p = 3; page == 0 && p * 4096 < bytes.size(); ++p)
            if (bytes[p * 4096] == 1 && jet::le32(&bytes[p * 4096 + 4]) == def.page) page = p;
        ASSERT_NE(page, 0u);
        bytes[page * 4096 + 14 + 1] |= 0xC0;
        overwrite_file(std::filesystem::u8path(file), bytes);
    }
    d.edit();
    d.set_value(1, text_value(u"uno"));
    EXPECT_EQ(error_of([&] { d.update(); }).description(), "Record is deleted.");
    d.move_first();
    EXPECT_EQ(error_of([&] { d.value(0); }).number(), jet::kRecordDeleted);
    d.move_next();
    EXPECT_EQ(d.value(1).text(), u"two");
}

// Two users of one file: the second changes fields after the first has read
// the record. A write of the first user that would put back a value that is
// gone is refused whole; fields the other user left alone, and values the
// other user already wrote, go through.
TEST(WriterRefusals, FieldsChangedByAnotherUserSinceTheRead)
{
    TempDir tmp;
    const std::string file = tmp.copy("NflSummary.mdb");
    jet::Database first(file);
    jet::Database second(file);
    const std::string sql = "SELECT TOP 1000 [GameId], [HomeScore], [AwayScore], [Notes] FROM Games";
    jet::Dynaset mine = first.open_dynaset(sql);
    jet::Dynaset theirs = second.open_dynaset(sql);
    auto score = [](int n) {
        jet::Value v;
        v.set_integer(static_cast<std::int16_t>(n));
        return v;
    };
    // `theirs` reads the record afresh before each change; `mine` does not.
    // Each goes idle after its change, so that the other may write.
    auto change = [&](jet::Dynaset& d, std::initializer_list<std::pair<int, jet::Value>> fields) {
        if (&d == &theirs) d.move_first();
        d.edit();
        for (const auto& [f, v] : fields) d.set_value(f, v);
        const bool changed = d.update();
        d.idle();
        return changed;
    };
    auto stopped = [&](std::initializer_list<std::pair<int, jet::Value>> fields) {
        try {
            change(mine, fields);
        } catch (const jet::Error& e) {
            EXPECT_EQ(e.number(), jet::kDataChanged);
            EXPECT_EQ(e.description(), "Data has changed; operation stopped.");
            EXPECT_FALSE(mine.editing());
            return true;
        }
        return false;
    };
    const jet::Value home = mine.value(1);
    const jet::Value away = mine.value(2);

    // The viewer's same-value write of a field changed since the read.
    ASSERT_TRUE(change(theirs, {{1, score(99)}, {3, text_value("Overtime")}}));
    auto before = read_file(std::filesystem::u8path(file));
    EXPECT_TRUE(stopped({{1, home}}));
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
    // The record was read again: the next edit starts from the file.
    EXPECT_EQ(mine.value(1), score(99));
    EXPECT_EQ(mine.value(3), text_value("Overtime"));
    EXPECT_FALSE(change(mine, {{1, score(99)}, {2, away}}));

    // A field the other user left alone goes through; theirs stays.
    ASSERT_TRUE(change(theirs, {{2, score(50)}}));
    EXPECT_TRUE(change(mine, {{1, score(100)}}));
    // The value the other user already wrote is no conflict.
    ASSERT_TRUE(change(theirs, {{1, score(7)}}));
    EXPECT_FALSE(change(mine, {{1, score(7)}}));
    // One stale field stops the whole update: nothing of it is written.
    before = read_file(std::filesystem::u8path(file));
    EXPECT_TRUE(stopped({{1, score(8)}, {2, away}}));
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);

    jet::Database third(file);
    jet::Dynaset check = third.open_dynaset(sql);
    EXPECT_EQ(check.value(1), score(7));
    EXPECT_EQ(check.value(2), score(50));
    EXPECT_EQ(check.value(3), text_value("Overtime"));
}

namespace {

// Damage that the reader gets past but that a new layout of the record would
// not keep: every field must come back as it was, or the update is refused.
enum class RowDamage {
    FixedDataUnderTheVariableData,  // variable slot 0 said to start where the fixed data does
    FewerVariableSlotsThanColumns,  // a present variable column beyond the slots the row keeps
};

// Damages the first record of `table` whose stored form allows it; returns
// that record's place in the table's order.
std::size_t damage_a_record(const std::string& file, const std::string& table, RowDamage damage)
{
    std::vector<std::uint8_t> bytes = read_file(std::filesystem::u8path(file));
    jet::Database db(file);
    const jet::TableDefinition def = db.table_definition(table);
    const jet::Layout& layout = db.pager().layout();
    const std::size_t ps = layout.page_size;
    const std::vector<jet::RowPointer> rows = jet::scan_row_locations(db.pager(), def, 1000);
    const jet::Column* last_var = nullptr;
    for (const jet::Column& c : def.columns)
        if (!c.fixed() && (!last_var || c.var_index > last_var->var_index)) last_var = &c;
    jet::RowSplitter splitter(def, layout);
    std::vector<jet::RowCell> cells;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::uint8_t> page(bytes.begin() + static_cast<std::ptrdiff_t>(rows[r].page * ps),
                                       bytes.begin() + static_cast<std::ptrdiff_t>((rows[r].page + 1) * ps));
        jet::PageEditor editor(page, layout);
        const std::span<std::uint8_t> row = editor.row(rows[r].row);
        splitter.split(jet::Bytes(row.data(), row.size()), cells);
        const std::size_t mask_at = row.size() - (jet::le16(row.data()) + 7) / 8;
        std::uint8_t* nvar = row.data() + mask_at - 2;  // Jet 4 rows
        if (damage == RowDamage::FixedDataUnderTheVariableData) {
            jet::put16(nvar - 2, layout.row_count_size);
        } else {
            const jet::RowCell& cell = cells[static_cast<std::size_t>(last_var - def.columns.data())];
            if (!cell.present || cell.data.empty()) continue;
            jet::put16(nvar, jet::le16(nvar) - 1u);
        }
        std::copy(page.begin(), page.end(), bytes.begin() + static_cast<std::ptrdiff_t>(rows[r].page * ps));
        overwrite_file(std::filesystem::u8path(file), bytes);
        return r;
    }
    ADD_FAILURE() << "no record of " << table << " can take the damage";
    return 0;
}

}  // namespace

class DamagedRecords : public ::testing::TestWithParam<RowDamage> {};

TEST_P(DamagedRecords, AreRefusedAsDamageBeforeAFieldChanges)
{
    TempDir tmp;
    const std::string file = tmp.copy("types.mdb");
    const std::size_t record = damage_a_record(file, "AllTypes", GetParam());
    const auto before = read_file(std::filesystem::u8path(file));
    jet::Database db(file);
    const Records readable = records(db, "AllTypes");
    jet::Dynaset d = db.open_dynaset("SELECT * FROM AllTypes");
    for (std::size_t r = 0; r < record; ++r) d.move_next();
    d.edit();
    d.set_value(field_index(d, "ColLong"), long_value(424242));
    EXPECT_EQ(error_of([&] { d.update(); }).number(), jet::kNeedsRepair);
    d.close();
    EXPECT_EQ(records(db, "AllTypes"), readable);
    EXPECT_EQ(read_file(std::filesystem::u8path(file)), before);
}

INSTANTIATE_TEST_SUITE_P(Damage, DamagedRecords,
                         ::testing::Values(RowDamage::FixedDataUnderTheVariableData,
                                           RowDamage::FewerVariableSlotsThanColumns));

// A change that fails puts back the held pages it changed, as the changes
// before it left them; one that changed nothing leaves them alone.
TEST(HeldPages, AFailedChangePutsBackWhatItChanged)
{
    TempDir tmp;
    jet::Database db(tmp.copy("rows.mdb"));
    jet::HeldPages held(db.pager());
    const std::uint32_t page = db.table_definition("Four").page;
    std::vector<std::uint8_t>& bytes = held.lock(page);
    bytes[100] ^= 0x5A;  // an earlier change, waiting to be written
    held.defer(page);
    const std::vector<std::uint8_t> earlier = bytes;
    for (const bool changes : {false, true}) {
        held.begin();
        if (changes) {
            held.keep();
            bytes[101] ^= 0xA5;
        }
        held.roll_back();
        EXPECT_EQ(*held.find(page), earlier) << changes;
    }
    held.release_all();
}
