// The lock file beside a database (`name.ldb` for `name.mdb`): who has the
// database open, and where every lock of the users lies (lock_manager.h).
// One 64-byte entry per user: user u's at 64·(u − 1), the computer name in
// its bytes 0-31 and the user name ("Admin") in bytes 32-63, each
// NUL-padded. An entry stays after its user has gone, until the number is
// taken again.
#pragma once

#include "jet/base/file.h"

#include <string>

namespace jet {

namespace lock_file {

inline constexpr std::size_t kEntrySize = 64;
inline constexpr std::size_t kNameSize = 32;
inline constexpr const char* kUserName = "Admin";

struct Entry {
    std::string machine;
    std::string user;
};

// The lock file's path for a database path: its extension replaced by ".ldb".
std::string path_for(const std::string& database);
// The lock file every user of the database shares: named after the file's
// real path, its links resolved, so that two names of one file find one.
std::string path_of_file(const std::string& database);

// Writes user `user`'s entry (1..255); false when it cannot.
bool write_entry(File& file, unsigned user, const std::string& machine, const std::string& name);
// Reads user `user`'s entry; false when there is none.
bool read_entry(File& file, unsigned user, Entry& out);

// The same on the file of that path (the first creating it).
bool write_entry(const std::string& path, unsigned user, const std::string& machine, const std::string& name);
bool read_entry(const std::string& path, unsigned user, Entry& out);

}  // namespace lock_file

}  // namespace jet
