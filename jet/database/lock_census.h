// Who has a shared database open and which locks they hold, read from its
// lock file without taking part: the entries of the file and the byte-range
// locks that other handles hold on it (File::held_ranges), decoded by the
// layout in lock_manager.h. Works beside any program that follows that
// layout, ours or another.
#pragma once

#include "jet/base/file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

enum class CensusKind : std::uint8_t { Write, Read, TableRead, TableWrite, DenyWrite, Other };

// "write", "read", "table-read", "table-write", "deny-write", "other"
const char* to_string(CensusKind kind);

struct CensusLock {
    CensusKind kind = CensusKind::Other;
    LockMode mode = LockMode::Shared;
    std::uint64_t offset = 0;  // in the lock file
    std::uint64_t length = 0;
    unsigned user = 0;         // 0 for Other
    std::uint32_t page = 0;    // a table lock's definition page
    std::string table;         // a table lock's table, when the catalogue names it
};

struct CensusUser {
    unsigned slot = 0;
    bool present = false;  // its user lock is held; otherwise only its entry is left
    std::string machine, user;
};

struct Census {
    bool lock_file = false;  // false: nobody shares the database
    std::vector<CensusUser> users;
    std::vector<CensusLock> locks;
};

// The census of the database at `path`, its locks in order of offset.
// User locks make the users present (they are not listed as locks); a range
// that no region explains is listed as Other. Adjacent one-byte locks that
// the system reports as one range are told apart. Table names come from the
// database's catalogue where it can be read.
Census take_census(const std::string& path);

// Whether any user holds its user lock in the lock file of that database.
bool users_present(const std::string& path);

}  // namespace jet
