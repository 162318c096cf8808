#include "jet/sharing/lock_file.h"

#include "jet/base/file.h"

#include <cstdint>
#include <cstring>

namespace jet::lock_file {

namespace {

// Names are stored as single bytes: anything outside ASCII becomes '?'.
void put_name(std::uint8_t* field, const std::string& name)
{
    std::memset(field, 0, kNameSize);
    std::size_t n = 0;
    for (std::size_t i = 0; i < name.size() && n < kNameSize - 1; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80 && (c & 0xC0) == 0x80) continue;  // rest of a UTF-8 sequence
        field[n++] = c < 0x80 ? c : '?';
    }
}

std::string get_name(const std::uint8_t* field)
{
    std::size_t n = 0;
    while (n < kNameSize && field[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace

std::string path_for(const std::string& database)
{
    const std::size_t separator = database.find_last_of("/\\");
    const std::size_t dot = database.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return database + ".ldb";
    return database.substr(0, dot) + ".ldb";
}

std::string path_of_file(const std::string& database) { return path_for(File::real_path(database)); }

bool write_entry(File& file, unsigned user, const std::string& machine, const std::string& name)
{
    if (user < 1) return false;
    std::uint8_t entry[kEntrySize];
    put_name(entry, machine);
    put_name(entry + kNameSize, name);
    return file.write_at(std::uint64_t{user - 1} * kEntrySize, entry, sizeof entry);
}

bool read_entry(File& file, unsigned user, Entry& out)
{
    if (user < 1) return false;
    std::uint8_t entry[kEntrySize];
    if (file.read_at(std::uint64_t{user - 1} * kEntrySize, entry, sizeof entry) != sizeof entry) return false;
    out.machine = get_name(entry);
    out.user = get_name(entry + kNameSize);
    return !out.machine.empty() || !out.user.empty();
}

bool write_entry(const std::string& path, unsigned user, const std::string& machine, const std::string& name)
{
    const std::unique_ptr<File> file = File::open_or_create(path);
    return file && write_entry(*file, user, machine, name);
}

bool read_entry(const std::string& path, unsigned user, Entry& out)
{
    std::unique_ptr<File> file;
    try {
        file = File::open(path);
    } catch (...) {
        return false;
    }
    return read_entry(*file, user, out);
}

}  // namespace jet::lock_file
