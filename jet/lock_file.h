// The lock file beside a database (`name.ldb` for `name.mdb`): who has the
// database open. One 64-byte entry per user slot: the computer name in bytes
// 0-31 and the user name ("Admin") in bytes 32-63, each NUL-padded.
#pragma once

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

// Writes the entry of `slot`, creating the file; false when it cannot.
bool write_entry(const std::string& path, unsigned slot, const std::string& machine, const std::string& user);

// Reads the entry of `slot`; false when there is none.
bool read_entry(const std::string& path, unsigned slot, Entry& out);

}  // namespace lock_file

}  // namespace jet
