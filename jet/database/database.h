// An open Jet database: its catalogue, table definitions and queries.
#pragma once

#include "jet/reading/catalogue.h"
#include "jet/reading/cursor.h"
#include "jet/database/dynaset.h"
#include "jet/base/format.h"
#include "jet/sharing/lock_manager.h"
#include "jet/pages/page.h"
#include "jet/rows/table_definition.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace jet {

class Database {
public:
    // Opens a Jet 3 or Jet 4 database for shared use and reads its catalogue.
    // Paths are UTF-8. Throws Error: "Could not find file", "Unrecognized
    // database format", "Not a valid password.", "needs to be repaired", ...
    // A database file that may be written registers this user in the lock
    // file beside it (see lock_manager.h), until the object is destroyed.
    // Cursors hold their table's table-read lock (a dynaset also its
    // table-write lock) while they are open.
    explicit Database(const std::string& path);
    // The same over a file already open; `path` names it in errors and
    // anchors relative links.
    Database(std::unique_ptr<File> file, const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& path() const { return path_; }
    Version version() const { return pager_->layout().version; }
    // Whether records may be changed: the file may be written, and this user
    // takes part in the locking (see LockManager::refused).
    bool writable() const { return pager_->file().writable() && !(locks_ && locks_->refused()); }
    // Throws unless writable(): "Cannot update. Database or object is
    // read-only." for a file that may not be written, "Could not lock file."
    // for one whose lock file cannot be used.
    void require_writable() const;

    // Table definitions in catalogue order, as read when the database opened.
    std::size_t table_count() const { return catalogue_.size(); }
    // Throws "Item not found in this collection." past the end.
    const CatalogueEntry& table(std::size_t index) const;
    // The entry of that name (compared without regard to case), or null.
    const CatalogueEntry* find_table(std::string_view name) const;

    // A table's definition, read afresh; a linked table's is its target's.
    // Throws "Item not found in this collection." for an unknown name.
    TableDefinition table_definition(std::string_view name);

    // Runs the query text and returns its records as a snapshot, read afresh.
    Snapshot open_snapshot(std::string_view sql);
    // All fields of a table, up to `top` records.
    Snapshot open_table(std::string_view name, std::uint64_t top = UINT64_MAX);

    // Runs the query text and returns its records as a dynaset, whose records
    // can be changed; the same errors as open_snapshot. The dynaset refers to
    // this database, which must outlive it.
    Dynaset open_dynaset(std::string_view sql);

    // How long a lock held by another user is waited for before an operation
    // gives up with "Could not update; currently locked ...".
    void set_lock_timeout(std::chrono::milliseconds timeout);

    // For the layers above that reach below the catalogue.
    Pager& pager() { return *pager_; }

    // After a read that met a damaged page (attempt 1, 2, ...): whether to
    // read again, because other users are writing the file and the page may
    // have been caught in the middle of a change. Forgets the cached pages
    // and pauses a little first. Bounded: a few attempts, then the damage is
    // real.
    bool read_again(int attempt);

private:
    Database(std::unique_ptr<File> file, const std::string& path, int link_depth);
    template <class F> auto guarded(F&& f) -> decltype(f());
    const CatalogueEntry& entry_for_query(std::string_view name) const;
    std::unique_ptr<Database> open_link(const CatalogueEntry& entry);
    Snapshot select(const CatalogueEntry& entry, const std::vector<std::string>* fields, std::uint64_t top);
    Dynaset select_dynaset(const CatalogueEntry& entry, const std::vector<std::string>* fields, std::uint64_t top);
    std::vector<std::size_t> field_columns(const TableDefinition& table, const std::vector<std::string>* fields);

    std::string path_;
    int link_depth_ = 0;
    std::unique_ptr<Pager> pager_;
    std::shared_ptr<LockManager> locks_;
    std::vector<CatalogueEntry> catalogue_;
};

}  // namespace jet
