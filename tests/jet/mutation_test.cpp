// Damaged files: thousands of deterministic mutations of real databases
// (bit flips, odd values in counts and pointers, truncation, pages
// overwritten) read from open to the last value. Every one must end in a
// result or a jet::Error; a crash, a hang or any other exception is a fault.
#include "fixture.h"
#include "mutate.h"

#include <cstdio>

namespace {

// Reads everything the viewer and jetdump would read.
void read_everything(const std::vector<std::uint8_t>& bytes)
{
    jet::Database db(jet::File::in_memory(bytes), "mutant.mdb");
    jet::Value value;
    for (std::size_t i = 0; i < db.table_count(); ++i) {
        const jet::CatalogueEntry& entry = db.table(i);
        if (entry.linked()) continue;
        try {
            const jet::TableDefinition def = db.table_definition(entry.name);
            jet::Snapshot rows = db.open_table(entry.name);
            if (!rows.is_eof()) rows.move_last();
            rows = db.open_snapshot("SELECT TOP 1000 * FROM [" + entry.name + "]");
            for (; !rows.is_eof(); rows.move_next())
                for (int f = 0; f < rows.field_count(); ++f) rows.read(f, value);
        } catch (const jet::Error&) {
        }
    }
}

}  // namespace

TEST(Mutation, DamagedFilesGiveCleanErrors)
{
    const struct {
        const char* name;
        int mutants;
    } sources[] = {
        {"real/jackcess-V1997-test.mdb", 500},         {"real/jackcess-V1997-overflowTest.mdb", 400},
        {"real/jackcess-V1997-test2.mdb", 300},        {"real/jackcess-V2000-overflowTest.mdb", 400},
        {"real/mdbreader-V2000-numeric.mdb", 300},     {"real/jackcess-V2003-testUnicodeComp.mdb", 300},
        {"types.mdb", 400},                            {"catalog.mdb", 300},
        {"wide.mdb", 200},
    };
    int total = 0;
    int clean = 0;
    for (const auto& source : sources) {
        const std::vector<std::uint8_t> original = jettest::fixture_bytes(source.name);
        ASSERT_FALSE(original.empty()) << source.name;
        const std::uint32_t page_size = jettest::page_size_of(original);
        jettest::Random rnd(0x51A7E5EEDull + static_cast<std::uint64_t>(total));
        for (int i = 0; i < source.mutants; ++i) {
            std::vector<std::uint8_t> bytes = original;
            jettest::mutate_some(bytes, page_size, rnd);
            ++total;
            try {
                read_everything(bytes);
                ++clean;
            } catch (const jet::Error&) {
            } catch (const std::exception& e) {
                ADD_FAILURE() << source.name << " mutant " << i << ": " << e.what();
            }
        }
    }
    std::printf("%d mutated files: %d read through, %d refused with an error\n", total, clean, total - clean);
    EXPECT_EQ(total, 3100);
    // Most mutations hit bytes that matter to no reader; some must have been caught.
    EXPECT_LT(clean, total);
}
