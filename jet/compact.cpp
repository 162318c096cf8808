#include "jet/compact.h"

#include "jet/bytes.h"
#include "jet/catalogue.h"
#include "jet/compact_keep.h"
#include "jet/compact_rebuild.h"
#include "jet/compact_tables.h"
#include "jet/cursor.h"
#include "jet/error.h"
#include "jet/file.h"
#include "jet/header.h"
#include "jet/lock_census.h"
#include "jet/page.h"
#include "jet/rc4.h"
#include "jet/table_definition.h"
#include "jet/value.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace jet {

namespace {

using PageBytes = std::vector<std::uint8_t>;

Error invalid_argument() { return error(kInvalidArgument); }

// What the database reader makes of one table: its name and, row by row in
// storage order, a digest of every field's value.
struct TableReading {
    std::string name;
    std::vector<std::uint64_t> rows;
    bool operator==(const TableReading&) const = default;
};

class Digest {
public:
    void add(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001B3ull;
    }
    template <class T> void add_value(const T& v) { add(&v, sizeof v); }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ull;
};

void add_value(Digest& d, const Value& v)
{
    d.add_value(static_cast<std::uint8_t>(v.kind()));
    switch (v.kind()) {
    case ValueKind::Null: break;
    case ValueKind::Boolean: d.add_value(v.boolean()); break;
    case ValueKind::Byte: d.add_value(v.byte()); break;
    case ValueKind::Integer: d.add_value(v.integer()); break;
    case ValueKind::Long: d.add_value(v.long_integer()); break;
    case ValueKind::Currency: d.add_value(v.currency()); break;
    case ValueKind::Single: d.add_value(v.single()); break;
    case ValueKind::Double: d.add_value(v.double_value()); break;
    case ValueKind::Date: d.add_value(v.date()); break;
    case ValueKind::Text:
        d.add_value(v.text().size());
        d.add(v.text().data(), v.text().size() * sizeof(char16_t));
        break;
    case ValueKind::Binary:
        d.add_value(v.bytes().size());
        d.add(v.bytes().data(), v.bytes().size());
        break;
    case ValueKind::Decimal: {
        const Decimal& x = v.decimal();
        d.add_value(x.precision), d.add_value(x.scale), d.add_value(x.negative);
        d.add_value(x.high), d.add_value(x.low);
        break;
    }
    }
}

// Reads the database as the reader does when it opens it and reads every
// local table whole: the catalogue, each table's definition, each row's
// values. Damage is the reader's error, naming `path`.
std::vector<TableReading> read_as_the_reader(Pager& pager, const std::string& path)
{
    try {
        std::vector<TableReading> out;
        for (const CatalogueEntry& entry : read_catalogue(pager)) {
            if (entry.linked()) continue;
            const TableDefinition table = read_table_definition(pager, entry.definition_page());
            std::vector<std::size_t> columns(table.columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i) columns[i] = i;
            Snapshot rows = read_snapshot(pager, table, columns, UINT64_MAX);
            TableReading reading{entry.name, {}};
            reading.rows.reserve(rows.size());
            Value v;
            for (; !rows.is_eof(); rows.move_next()) {
                Digest d;
                for (int f = 0; f < rows.field_count(); ++f) {
                    rows.read(f, v);
                    add_value(d, v);
                }
                reading.rows.push_back(d.value());
            }
            out.push_back(std::move(reading));
        }
        return out;
    } catch (const Corrupt&) {
        throw needs_repair(path);
    } catch (const std::length_error&) {
        throw needs_repair(path);
    }
}

void check_locale(const std::string& locale, const Header& header)
{
    std::string upper = locale;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::size_t at = upper.find("LANGID=");
    if (at == std::string::npos) return;
    char* end = nullptr;
    const unsigned long lcid = std::strtoul(upper.c_str() + at + 7, &end, 0);
    // Index keys are carried over as they are, so they stay in the
    // source's sort order: another one cannot be given to the copy.
    if (end == upper.c_str() + at + 7 || lcid != header.lcid) throw invalid_argument();
}

void check_options(int options, const Header& header)
{
    constexpr int kVersions =
        kCompactVersion10 | kCompactVersion11 | kCompactVersion20 | kCompactVersion30 | kCompactVersion40;
    bool ok = (options & ~(kVersions | kCompactEncrypt | kCompactDecrypt)) == 0;
    if (options & kVersions)
        ok = ok && (options & kVersions) ==
                       (header.version == Version::Jet3 ? kCompactVersion30 : kCompactVersion40);
    if (options & kCompactEncrypt) ok = ok && header.page_key != 0 && !(options & kCompactDecrypt);
    if (options & kCompactDecrypt) ok = ok && header.page_key == 0;
    if (!ok) throw invalid_argument();
}

// Writes the pages in large runs, encoded as the source's were; page 0 goes
// out exactly as it was read.
void write_pages(File& out, const std::vector<PageBytes>& pages, const Header& header)
{
    const std::size_t page_size = header.layout().page_size;
    const auto count = static_cast<std::uint32_t>(pages.size());
    constexpr std::uint32_t kRun = 256;
    std::vector<std::uint8_t> run;
    for (std::uint32_t first = 0; first < count; first += kRun) {
        const std::uint32_t n = std::min(kRun, count - first);
        run.resize(std::size_t{n} * page_size);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint8_t* at = run.data() + std::size_t{i} * page_size;
            std::memcpy(at, pages[first + i].data(), page_size);
            apply_page_key(header.page_key, first + i, at, page_size);
        }
        if (!out.write_at(std::uint64_t{first} * page_size, run.data(), run.size())) throw disk_error();
    }
    if (!out.flush()) throw disk_error();
}

// The rebuilt pages, encoded as they will be written, read back through a
// second pager and compared with the source table by table.
bool reads_back(Pager& source, const std::vector<PageBytes>& pages, const Header& header)
{
    const std::size_t page_size = header.layout().page_size;
    std::vector<std::uint8_t> image(pages.size() * page_size);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        std::uint8_t* at = image.data() + p * page_size;
        std::memcpy(at, pages[p].data(), page_size);
        apply_page_key(header.page_key, static_cast<std::uint32_t>(p), at, page_size);
    }
    Pager copy(File::in_memory(std::move(image)), header);
    return compaction::reads_alike(source, copy);
}

// The copy just written, read back through its own file as the reader reads
// it, must hold what the source held, table for table and row for row.
void expect_reads_as_source(std::unique_ptr<File> written, const std::vector<TableReading>& source_reading,
                            const std::string& source, const std::string& name)
{
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(written->read_at(0, first.data(), first.size()));
    try {
        Pager copy(std::move(written), read_header(Bytes(first.data(), first.size()), name));
        if (read_as_the_reader(copy, name) == source_reading) return;
    } catch (const Error&) {
    } catch (const Corrupt&) {
    }
    throw needs_repair(source);
}

// Compacts the source into `out`; the figures of the compaction used.
CompactResult compact_into(Pager& pager, File& out, const std::string& source)
{
    const Header& header = pager.header();
    // The full rebuild first; what it does not carry over (or finds odd)
    // is left to the compaction that keeps every page in place, which also
    // tells real damage apart.
    CompactResult rebuilt;
    std::vector<PageBytes> pages;
    try {
        pages = compaction::rebuild(pager, rebuilt);
    } catch (const compaction::Unsupported&) {
        pages.clear();
    } catch (const Corrupt&) {
        pages.clear();
    } catch (const std::length_error&) {
        pages.clear();
    }
    if (!pages.empty() && reads_back(pager, pages, header)) {
        write_pages(out, pages, header);
        return rebuilt;
    }
    CompactResult kept;
    try {
        pages = compaction::keep_pages(pager, kept);
    } catch (const Corrupt&) {
        throw needs_repair(source);
    } catch (const std::length_error&) {
        throw needs_repair(source);
    }
    write_pages(out, pages, header);
    return kept;
}

}  // namespace

CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale,
                      int options)
{
    return compact(source, destination, locale, options, {});
}

CompactResult compact(const std::string& source, const std::string& destination, const std::string& locale,
                      int options, const std::function<void()>& while_held)
{
    std::unique_ptr<File> file = File::open_exclusive(source);
    // A user who keeps no hold on the file itself (no share mode, as on
    // POSIX) still shows by its user lock in the lock file.
    if (users_present(source)) throw file_in_use(source);
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(file->read_at(0, first.data(), first.size()));
    const Header header = read_header(Bytes(first.data(), first.size()), source);
    check_locale(locale, header);
    check_options(options, header);
    if (header.has_password) throw error(kNotValidPassword);
    auto pager = std::make_unique<Pager>(std::move(file), header);
    if (File::exists(destination)) throw error(kDatabaseExists);
    const std::vector<TableReading> reading = read_as_the_reader(*pager, source);

    // Written under a name of its own, so that a compaction cut short
    // leaves no destination behind, only that file.
    std::string partial;
    std::unique_ptr<File> out = File::create_beside(destination, partial);
    if (!out) throw cannot_open_file(destination);
    CompactResult result;
    try {
        result = compact_into(*pager, *out, source);
        expect_reads_as_source(std::move(out), reading, source, partial);
        bool exists = false;
        if (!File::rename_new(partial, destination, exists)) {
            if (exists) throw error(kDatabaseExists);
            throw disk_error();
        }
    } catch (...) {
        out.reset();
        File::remove(partial);
        throw;
    }
    if (while_held) {
        // Where an open file cannot be replaced the hold ends just before the
        // step: a program that opens the source in that moment keeps the
        // replacement from happening (its handle stops the rename), so no
        // write of its own is lost.
        if (!pager->file().replaceable_while_open()) pager.reset();
        while_held();
    }
    return result;
}

}  // namespace jet
