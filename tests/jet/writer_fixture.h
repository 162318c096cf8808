// Helpers of the writing tests: records read through the engine, one field
// changed through a dynaset, checks of the data pages' bookkeeping.
#pragma once

#include "fixture.h"

#include "jet/pages/page.h"
#include "jet/pages/usage_map.h"

#include <cstdlib>

namespace jet {

// How a value shows in a failed expectation.
inline void PrintTo(const Value& v, std::ostream* os)
{
    switch (v.kind()) {
    case ValueKind::Null: *os << "NULL"; return;
    case ValueKind::Text: {
        const std::string t = to_utf8(v.text());
        *os << '"' << (t.size() > 40 ? t.substr(0, 40) + "...(" + std::to_string(v.text().size()) + ")" : t) << '"';
        return;
    }
    case ValueKind::Binary: *os << "<" << v.bytes().size() << " bytes>"; return;
    case ValueKind::Boolean: *os << (v.boolean() ? "true" : "false"); return;
    case ValueKind::Double: *os << v.double_value(); return;
    case ValueKind::Date: *os << "date " << v.date(); return;
    case ValueKind::Single: *os << v.single(); return;
    case ValueKind::Decimal: *os << v.decimal().to_string(); return;
    case ValueKind::Currency: *os << currency_to_string(v.currency()); return;
    case ValueKind::Byte: *os << int{v.byte()}; return;
    case ValueKind::Integer: *os << v.integer(); return;
    case ValueKind::Long: *os << v.long_integer(); return;
    }
}

}  // namespace jet

namespace jettest {

using Records = std::vector<std::vector<jet::Value>>;

inline Records records(jet::Database& db, const std::string& table)
{
    Records out;
    jet::Snapshot s = db.open_snapshot("SELECT * FROM [" + table + "]");
    for (; !s.is_eof(); s.move_next()) {
        std::vector<jet::Value> row;
        for (int f = 0; f < s.field_count(); ++f) row.push_back(s.value(f));
        out.push_back(std::move(row));
    }
    return out;
}

inline Records records(const std::string& file, const std::string& table)
{
    jet::Database db(file);
    return records(db, table);
}

inline int field_index(const jet::Dynaset& d, const std::string& name)
{
    for (int f = 0; f < d.field_count(); ++f)
        if (d.fields()[static_cast<std::size_t>(f)].name == name) return f;
    ADD_FAILURE() << "no field " << name;
    return 0;
}

// Sets one field of the record at `record` (0-based, in the table's order);
// returns whether the file was written.
inline bool set_field(jet::Database& db, const std::string& table, std::size_t record, const std::string& field,
                      const jet::Value& value)
{
    jet::Dynaset d = db.open_dynaset("SELECT * FROM [" + table + "]");
    for (std::size_t r = 0; r < record; ++r) d.move_next();
    d.edit();
    d.set_value(field_index(d, field), value);
    return d.update();
}

inline jet::Value text_value(const std::u16string& s)
{
    jet::Value v;
    v.set_text(s.data(), s.size());
    return v;
}
inline jet::Value text_value(const std::string& s) { return text_value(jet::to_utf16(s)); }
inline jet::Value long_value(std::int32_t i)
{
    jet::Value v;
    v.set_long(i);
    return v;
}
inline jet::Value bytes_value(const std::vector<std::uint8_t>& b)
{
    jet::Value v;
    v.set_bytes(b.data(), b.size());
    return v;
}
inline jet::Value null_value() { return jet::Value(); }

// Every data page of the file keeps its bookkeeping: the rows lie packed
// downward in slot order and free_space is what the layout leaves.
inline void expect_pages_consistent(const std::string& file)
{
    const std::vector<std::uint8_t> bytes = read_file(std::filesystem::u8path(file));
    const bool jet4 = bytes.at(0x14) != 0;
    const std::size_t ps = jet4 ? 4096 : 2048;
    const std::size_t offsets = jet4 ? 14 : 10;
    for (std::size_t p = 1; p * ps < bytes.size(); ++p) {
        const std::uint8_t* page = bytes.data() + p * ps;
        if (page[0] != 1 || page[1] != 1) continue;
        const unsigned n = jet::le16(page + offsets - 2);
        std::size_t end = ps;
        bool packed = offsets + 2 * n <= ps;
        for (unsigned i = 0; packed && i < n; ++i) {
            const std::size_t start = jet::le16(page + offsets + 2 * i) & 0x1FFF;
            packed = start <= end && start >= offsets + 2 * n;
            end = start;
        }
        EXPECT_TRUE(packed) << "page " << p;
        if (packed) {
            EXPECT_EQ(jet::le16(page + 2), end - (offsets + 2 * n)) << "free space of page " << p;
        }
    }
}

// Where changed copies are kept for the comparison with other readers
// (tests/jet/oracle-readback.sh sets it); empty when they are not kept.
inline std::filesystem::path kept_copies()
{
    const char* dir = std::getenv("QM_WRITER_OUTPUT");
    return dir && *dir ? std::filesystem::u8path(dir) : std::filesystem::path();
}

inline void keep_copy(const std::string& file, const std::string& as)
{
    const std::filesystem::path dir = kept_copies();
    if (dir.empty()) return;
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(std::filesystem::u8path(file), dir / as,
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace jettest
