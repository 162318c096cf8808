// Damaged files: thousands of deterministic mutations of real databases
// (bit flips, odd values in counts and pointers, truncation, pages
// overwritten) read from open to the last value. Every one must end in a
// result or a jet::Error; a crash, a hang or any other exception is a fault.
#include "fixture.h"

#include <cstdio>
#include <cstring>

namespace {

// splitmix64: the same numbers on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t state_;
};

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

void mutate(std::vector<std::uint8_t>& b, std::uint32_t page_size, Random& rnd)
{
    const std::size_t pages = b.size() / page_size;
    // Most structure sits at the start of a page: aim there half of the time.
    auto position = [&] {
        const std::size_t page = rnd.below(pages);
        const std::size_t within = rnd.below(2) ? rnd.below(96) : rnd.below(page_size);
        return page * page_size + within;
    };
    switch (rnd.below(7)) {
    case 0:
    case 1:
        for (std::size_t n = 1 + rnd.below(8); n > 0; --n) b[position()] ^= static_cast<std::uint8_t>(1u << rnd.below(8));
        break;
    case 2: {
        static const std::uint32_t odd[] = {0, 1, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                                            0xFFFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        std::uint32_t v = odd[rnd.below(std::size(odd))];
        if (rnd.below(3) == 0) v = static_cast<std::uint32_t>(pages + rnd.below(3) - 1);
        const std::size_t at = position();
        const std::size_t width = std::size_t{1} << rnd.below(3);
        for (std::size_t k = 0; k < width && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
        break;
    }
    case 3:
        b.resize(rnd.below(2) ? rnd.below(pages) * page_size : rnd.below(b.size()));
        break;
    case 4: {
        const std::size_t page = 1 + rnd.below(pages - 1);
        std::uint8_t* p = b.data() + page * page_size;
        switch (rnd.below(3)) {
        case 0: std::memset(p, 0, page_size); break;
        case 1:
            for (std::size_t k = 0; k < page_size; ++k) p[k] = static_cast<std::uint8_t>(rnd.next());
            break;
        default: std::memmove(p, b.data() + rnd.below(pages) * page_size, page_size); break;
        }
        break;
    }
    case 5:  // the page type and the counts that follow it
        b[rnd.below(pages) * page_size + rnd.below(16)] = static_cast<std::uint8_t>(rnd.next());
        break;
    default:
        for (std::size_t n = 1 + rnd.below(4); n > 0; --n) b[rnd.below(b.size())] = static_cast<std::uint8_t>(rnd.next());
        break;
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
        const std::uint32_t page_size = original[0x14] == 0 ? 2048 : 4096;
        Random rnd(0x51A7E5EEDull + static_cast<std::uint64_t>(total));
        for (int i = 0; i < source.mutants; ++i) {
            std::vector<std::uint8_t> bytes = original;
            for (std::size_t n = 1 + rnd.below(3); n > 0 && bytes.size() >= page_size * 3; --n)
                mutate(bytes, page_size, rnd);
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
