// Opening databases and listing their table definitions.
#include "fixture.h"

#include "jet/base/header.h"
#include "jet/base/rc4.h"

#include <cstring>

using jettest::TempDir;

namespace {

struct Listed {
    std::string name;
    std::uint32_t attributes;
    jet::TableKind kind;
};

std::vector<Listed> list(jet::Database& db)
{
    std::vector<Listed> out;
    for (std::size_t i = 0; i < db.table_count(); ++i) {
        const jet::CatalogueEntry& e = db.table(i);
        out.push_back({e.name, e.attributes, e.kind});
    }
    return out;
}

const Listed* find(const std::vector<Listed>& all, const std::string& name)
{
    for (const Listed& l : all)
        if (l.name == name) return &l;
    return nullptr;
}

// Page 0's masked block of a copy, decoded; `edit` changes it, then it is masked again.
template <class F> void edit_header(std::vector<std::uint8_t>& file, jet::Version v, F&& edit)
{
    std::uint8_t* block = file.data() + jet::kMaskedStart;
    jet::rc4_apply(jet::kHeaderKey, 4, block, jet::masked_size(v));
    edit(file.data());
    jet::rc4_apply(jet::kHeaderKey, 4, block, jet::masked_size(v));
}

}  // namespace

TEST(Catalogue, ListsTablesInCatalogueOrderWithDaoAttributes)
{
    TempDir tmp;
    jet::Database db(tmp.copy("catalog.mdb"));
    const std::vector<Listed> all = list(db);
    std::vector<std::string> names;
    for (const Listed& l : all) names.push_back(l.name);
    EXPECT_EQ(names, (std::vector<std::string>{"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships",
                                               "MSysAccessObjects", "Zeta", "alpha", "Beta", "HiddenOne",
                                               "LinkedGames"}));
    EXPECT_EQ(find(all, "MSysObjects")->attributes, 0x80000000u);
    EXPECT_EQ(find(all, "MSysAccessObjects")->attributes, 0x00000002u);
    EXPECT_EQ(find(all, "MSysAccessObjects")->kind, jet::TableKind::System);
    EXPECT_EQ(find(all, "Zeta")->attributes, 0u);
    EXPECT_EQ(find(all, "Zeta")->kind, jet::TableKind::Table);
    EXPECT_EQ(find(all, "HiddenOne")->attributes, jet::dbHiddenObject);
    EXPECT_EQ(find(all, "HiddenOne")->kind, jet::TableKind::Table);
    EXPECT_EQ(find(all, "LinkedGames")->attributes, jet::dbAttachedTable);
    EXPECT_EQ(find(all, "LinkedGames")->kind, jet::TableKind::Linked);

    const jet::Error past = jettest::error_of([&] { db.table(db.table_count()); });
    EXPECT_EQ(past.number(), jet::kItemNotFound);
    EXPECT_EQ(past.description(), "Item not found in this collection.");
}

TEST(Catalogue, SystemTablesAreKnownByTheirFlagsNotTheirNames)
{
    TempDir tmp;
    jet::Database db(tmp.copy("real/jackcess-V2003-testUnicodeComp.mdb"));
    const std::vector<Listed> all = list(db);
    const Listed* helper = find(all, "f_B2444F72C17C49C3B2E92EED7C2E6EF3_Data");
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(helper->attributes, 0x800A0000u);
    EXPECT_EQ(helper->kind, jet::TableKind::System);
    EXPECT_EQ(find(all, "MSysNavPaneGroups")->attributes, 0x0000000Au);
    EXPECT_EQ(find(all, "MSysNavPaneGroups")->kind, jet::TableKind::System);
    EXPECT_EQ(find(all, "Table")->kind, jet::TableKind::Table);
    for (const Listed& l : all) {
        const bool listed_by_viewer = (l.attributes & (jet::dbSystemObject | jet::dbHiddenObject)) == 0;
        EXPECT_EQ(listed_by_viewer, l.name == "Table") << l.name;
    }
}

TEST(Catalogue, Jet3AndEmptyDatabases)
{
    TempDir tmp;
    jet::Database jet3(tmp.copy("real/jackcess-V1997-test.mdb"));
    EXPECT_EQ(jet3.version(), jet::Version::Jet3);
    const std::vector<Listed> all = list(jet3);
    EXPECT_EQ(find(all, "MSysModules")->attributes, 2u);
    EXPECT_NE(find(all, "Table4"), nullptr);

    jet::Database empty(tmp.copy("real/jackcess-empty-V2003.mdb"));
    for (const Listed& l : list(empty)) EXPECT_EQ(l.kind, jet::TableKind::System) << l.name;
}

TEST(Open, PasswordProtectedDatabasesAreRefused)
{
    TempDir tmp;
    for (const char* name : {"real/mdbreader-V2000-with-password.mdb", "real/mdbreader-V2003-with-password.mdb"}) {
        const std::string path = tmp.copy(name);
        const jet::Error e = jettest::error_of([&] { jet::Database db(path); });
        EXPECT_EQ(e.number(), jet::kNotValidPassword) << name;
        EXPECT_EQ(e.description(), "Not a valid password.");
    }
}

TEST(Open, FilesThatAreNoJetDatabase)
{
    TempDir tmp;
    const std::string missing = jettest::utf8_of(tmp.path() / "absent.mdb");
    jet::Error e = jettest::error_of([&] { jet::Database db(missing); });
    EXPECT_EQ(e.number(), jet::kFileNotFound);
    EXPECT_EQ(e.description(), "Could not find file '" + missing + "'.");

    // An ACE file: the Jet 4 layout with a newer version byte and engine name.
    std::vector<std::uint8_t> bytes = jettest::fixture_bytes("rows.mdb");
    bytes[0x14] = 2;
    const std::string ace = jettest::utf8_of(tmp.path() / "new.accdb");
    jettest::write_file(ace, bytes);
    e = jettest::error_of([&] { jet::Database db(ace); });
    EXPECT_EQ(e.number(), jet::kUnrecognizedFormat);
    EXPECT_EQ(e.description(), "Unrecognized database format '" + ace + "'.");
    std::memcpy(bytes.data() + 4, "Standard ACE DB", 15);
    jettest::write_file(ace, bytes);
    EXPECT_EQ(jettest::error_of([&] { jet::Database db(ace); }).number(), jet::kUnrecognizedFormat);

    const std::string text = jettest::utf8_of(tmp.path() / "notes.mdb");
    jettest::write_file(text, std::vector<std::uint8_t>(5000, 'x'));
    EXPECT_EQ(jettest::error_of([&] { jet::Database db(text); }).number(), jet::kUnrecognizedFormat);
    const std::string empty = jettest::utf8_of(tmp.path() / "empty.mdb");
    jettest::write_file(empty, {});
    EXPECT_EQ(jettest::error_of([&] { jet::Database db(empty); }).number(), jet::kUnrecognizedFormat);

    // A good header over a catalogue that is gone.
    std::vector<std::uint8_t> cut = jettest::fixture_bytes("rows.mdb");
    cut.resize(2 * 4096);
    const std::string damaged = jettest::utf8_of(tmp.path() / "cut.mdb");
    jettest::write_file(damaged, cut);
    e = jettest::error_of([&] { jet::Database db(damaged); });
    EXPECT_EQ(e.number(), jet::kNeedsRepair);
    EXPECT_EQ(e.description(), "The database '" + damaged + "' needs to be repaired or isn't a database file.");
}

TEST(Open, EncodedPagesReadLikePlainOnes)
{
    // Encode every page but the header with RC4 (key: the header's key XOR the
    // page number) and record the key in the masked header block.
    for (const char* name : {"rows.mdb", "real/jackcess-V1997-test.mdb"}) {
        std::vector<std::uint8_t> bytes = jettest::fixture_bytes(name);
        const jet::Version v = bytes[0x14] == 0 ? jet::Version::Jet3 : jet::Version::Jet4;
        const std::uint32_t page_size = jet::layout_of(v).page_size;
        const std::uint32_t key = 0x5A17C0DE;
        edit_header(bytes, v, [&](std::uint8_t* page0) {
            for (int i = 0; i < 4; ++i) page0[0x3E + i] = static_cast<std::uint8_t>(key >> (8 * i));
        });
        for (std::uint32_t p = 1; p < bytes.size() / page_size; ++p) {
            const std::uint32_t k = key ^ p;
            const std::uint8_t kb[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                        static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
            jet::rc4_apply(kb, 4, bytes.data() + std::size_t{p} * page_size, page_size);
        }
        jet::Database plain(jet::File::in_memory(jettest::fixture_bytes(name)), name);
        jet::Database encoded(jet::File::in_memory(bytes), name);
        ASSERT_EQ(plain.table_count(), encoded.table_count());
        for (std::size_t i = 0; i < plain.table_count(); ++i) {
            if (plain.table(i).kind != jet::TableKind::Table) continue;
            jet::Snapshot a = plain.open_table(plain.table(i).name);
            jet::Snapshot b = encoded.open_table(plain.table(i).name);
            ASSERT_EQ(a.size(), b.size());
            for (; !a.is_eof(); a.move_next(), b.move_next())
                for (int f = 0; f < a.field_count(); ++f) EXPECT_EQ(a.value(f), b.value(f));
        }
    }
}

TEST(Open, HeaderFacts)
{
    const std::vector<std::uint8_t> jet3 = jettest::fixture_bytes("real/jackcess-V1997-test.mdb");
    const jet::Header h3 = jet::read_header(jet::Bytes(jet3.data(), 4096), "x");
    EXPECT_EQ(h3.version, jet::Version::Jet3);
    EXPECT_EQ(h3.code_page, 1252);
    EXPECT_EQ(h3.page_key, 0u);
    EXPECT_FALSE(h3.has_password);
    const std::vector<std::uint8_t> jet4 = jettest::fixture_bytes("real/jackcess-V2000-test.mdb");
    const jet::Header h4 = jet::read_header(jet::Bytes(jet4.data(), 4096), "x");
    EXPECT_EQ(h4.version, jet::Version::Jet4);
    EXPECT_EQ(h4.lcid, 0x0409);
    EXPECT_GT(h4.created, 36000.0);  // a date in the Access 2000 era
    EXPECT_FALSE(h4.has_password);
}
