#include "jet/database/database.h"

#include "jet/database/dynaset_state.h"
#include "jet/base/error.h"
#include "jet/rows/field_value.h"
#include "jet/reading/table_scan.h"
#include "jet/reading/query.h"
#include "jet/base/text.h"

#include <cctype>
#include <filesystem>
#include <thread>

namespace jet {

namespace {

// Linked tables may point at further linked tables; this far and no further.
constexpr int kMaxLinkDepth = 8;

// Reads of a page that fails its checks while others write the file.
constexpr int kReadAttempts = 4;

bool is_absolute_path(const std::string& p)
{
    if (p.empty()) return false;
    if (p[0] == '/' || p[0] == '\\') return true;
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

// A linked database path as stored; a relative one resolves against the
// folder of the linking database.
std::string resolve_link(const std::string& stored, const std::string& linking)
{
    if (is_absolute_path(stored)) return stored;
    std::string relative = stored;
#ifndef _WIN32
    for (char& c : relative)
        if (c == '\\') c = '/';
#endif
    const std::filesystem::path base = std::filesystem::path(std::u8string(linking.begin(), linking.end())).parent_path();
    const std::u8string joined = (base / std::u8string(relative.begin(), relative.end())).u8string();
    return std::string(joined.begin(), joined.end());
}

std::string odbc_source(const std::string& connect)
{
    const std::size_t at = connect.find("DSN=");
    if (at == std::string::npos) return connect;
    const std::size_t end = connect.find(';', at);
    return connect.substr(at + 4, end == std::string::npos ? std::string::npos : end - at - 4);
}

}  // namespace

// Damage found below turns into the error that names this database.
// Write rule 8: readers take no locks; a page caught mid-change is read again.
// A page that fails its checks while others write the file is read again a
// few times before it counts as damage.
template <class F> auto Database::guarded(F&& f) -> decltype(f())
{
    for (int attempt = 1;; ++attempt) {
        try {
            return f();
        } catch (const Corrupt&) {
            if (!read_again(attempt)) throw needs_repair(path_);
        } catch (const std::length_error&) {
            if (!read_again(attempt)) throw needs_repair(path_);
        }
    }
}

bool Database::read_again(int attempt)
{
    if (attempt >= kReadAttempts || !locks_ || !locks_->others_present()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(attempt * attempt));
    pager_->refresh();
    return true;
}

Database::Database(const std::string& path) : Database(File::open(path), path, 0) {}

Database::Database(std::unique_ptr<File> file, const std::string& path) : Database(std::move(file), path, 0) {}

Database::Database(std::unique_ptr<File> file, const std::string& path, int link_depth)
    : path_(path), link_depth_(link_depth)
{
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(file->read_at(0, first.data(), first.size()));
    const Header header = read_header(Bytes(first.data(), first.size()), path);
    if (header.has_password) throw error(kNotValidPassword);
    pager_ = std::make_unique<Pager>(std::move(file), header);
    if (pager_->file().lockable()) {
        locks_ = std::make_shared<LockManager>(pager_->file(), path_);
        pager_->set_locks(locks_.get());
    }
    catalogue_ = guarded([&] { return read_catalogue(*pager_); });
}

Database::~Database() = default;

void Database::require_writable() const
{
    if (!pager_->file().writable()) throw read_only();
    if (locks_ && locks_->refused()) throw error(kCouldNotLockFile);
}

const CatalogueEntry& Database::table(std::size_t index) const
{
    if (index >= catalogue_.size()) throw item_not_found();
    return catalogue_[index];
}

const CatalogueEntry* Database::find_table(std::string_view name) const
{
    for (const CatalogueEntry& e : catalogue_)
        if (names_equal(e.name, name)) return &e;
    return nullptr;
}

std::unique_ptr<Database> Database::open_link(const CatalogueEntry& entry)
{
    if (entry.type == kObjectOdbcTable)
        throw error(kOdbcConnectionFailed, {odbc_source(entry.connect)});
    if (link_depth_ >= kMaxLinkDepth) throw input_table_not_found(entry.name);
    const std::string target = resolve_link(entry.database, path_);
    return std::unique_ptr<Database>(new Database(File::open(target), target, link_depth_ + 1));
}

TableDefinition Database::table_definition(std::string_view name)
{
    const CatalogueEntry* entry = find_table(name);
    if (!entry) throw item_not_found();
    if (entry->linked()) {
        std::unique_ptr<Database> target = open_link(*entry);
        return target->table_definition(entry->foreign_name);
    }
    return guarded([&] {
        pager_->refresh();
        return read_table_definition(*pager_, entry->definition_page());
    });
}

const CatalogueEntry& Database::entry_for_query(std::string_view name) const
{
    const CatalogueEntry* entry = find_table(name);
    if (!entry) throw input_table_not_found(std::string(name));
    return *entry;
}

Snapshot Database::select(const CatalogueEntry& entry, const std::vector<std::string>* fields, std::uint64_t top)
{
    if (entry.linked()) {
        std::unique_ptr<Database> target = open_link(entry);
        const CatalogueEntry& remote = target->entry_for_query(entry.foreign_name);
        return target->select(remote, fields, top);
    }
    return guarded([&] {
        pager_->refresh();
        TableLock reading(locks_, entry.definition_page(), TableLockKind::Read);
        const TableDefinition table = read_table_definition(*pager_, entry.definition_page());
        Snapshot snapshot = read_snapshot(*pager_, table, field_columns(table, fields), top);
        snapshot.hold(std::move(reading));
        return snapshot;
    });
}

std::vector<std::size_t> Database::field_columns(const TableDefinition& table, const std::vector<std::string>* fields)
{
    std::vector<std::size_t> columns;
    if (!fields) {
        for (std::size_t i = 0; i < table.columns.size(); ++i) columns.push_back(i);
        return columns;
    }
    int missing = 0;
    for (const std::string& f : *fields) {
        const Column* c = table.find(f);
        if (c)
            columns.push_back(static_cast<std::size_t>(c - table.columns.data()));
        else
            ++missing;
    }
    if (missing > 0) throw error(kTooFewParameters, {std::to_string(missing)});
    return columns;
}

Dynaset Database::select_dynaset(const CatalogueEntry& entry, const std::vector<std::string>* fields,
                                 std::uint64_t top)
{
    if (entry.linked()) {
        std::unique_ptr<Database> target = open_link(entry);
        const CatalogueEntry& remote = target->entry_for_query(entry.foreign_name);
        Dynaset d = target->select_dynaset(remote, fields, top);
        d.s_->link = std::move(target);
        return d;
    }
    return guarded([&] {
        pager_->refresh();
        TableLock reading(locks_, entry.definition_page(), TableLockKind::Read);
        TableLock writing;
        if (writable()) writing = TableLock(locks_, entry.definition_page(), TableLockKind::Write);
        auto state = std::make_unique<Dynaset::State>(*this, read_table_definition(*pager_, entry.definition_page()));
        state->reading = std::move(reading);
        state->writing = std::move(writing);
        const TableDefinition& table = state->table;
        state->columns = field_columns(table, fields);
        for (const std::size_t c : state->columns) {
            const Column& col = table.columns[c];
            state->fields.push_back({col.name, col.dao_type(), col.dao_size(table.version)});
        }
        state->current.resize(state->columns.size());
        state->rows = scan_row_locations(*pager_, table, top);
        Dynaset d(std::move(state));
        if (!d.is_bof()) d.move_first();
        d.s_->visited = d.s_->rows.empty() ? 0 : 1;
        return d;
    });
}

Dynaset Database::open_dynaset(std::string_view sql)
{
    const SelectQuery q = parse_query(sql);
    const CatalogueEntry& entry = entry_for_query(q.table);
    return select_dynaset(entry, q.all_fields ? nullptr : &q.fields, q.top.value_or(UINT64_MAX));
}

void Database::set_lock_timeout(std::chrono::milliseconds timeout)
{
    if (locks_) locks_->set_timeout(timeout);
}

Snapshot Database::open_snapshot(std::string_view sql)
{
    const SelectQuery q = parse_query(sql);
    const CatalogueEntry& entry = entry_for_query(q.table);
    return select(entry, q.all_fields ? nullptr : &q.fields, q.top.value_or(UINT64_MAX));
}

Snapshot Database::open_table(std::string_view name, std::uint64_t top)
{
    return select(entry_for_query(name), nullptr, top);
}

}  // namespace jet
