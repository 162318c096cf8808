#include "jet/compaction/compact_copy.h"

#include "jet/base/error.h"
#include "jet/base/format.h"
#include "jet/base/header.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace jet::compaction {

namespace {

// The byte the writer of a copy holds, next to the one the POSIX file layer
// keeps for its sharing modes and, like it, beyond any data.
constexpr std::uint64_t kWriterHeldAt = (std::uint64_t{1} << 62) + 1;

std::filesystem::path path_of(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8_of(const std::u8string& s) { return std::string(s.begin(), s.end()); }

// Whether `name` is `base` followed by the suffix File::create_beside gives:
// ".~" and eight lowercase hex digits.
bool copy_name(const std::string& name, const std::string& base)
{
    if (name.size() != base.size() + 10 || name.compare(0, base.size(), base) != 0) return false;
    if (name.compare(base.size(), 2, ".~") != 0) return false;
    for (std::size_t i = base.size() + 2; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

// Empty, or beginning with a database's first page: what a copy holds from
// its creation on, since its pages are written in order from page 0.
bool holds_a_copy(File& file)
{
    if (file.size() == 0) return true;
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(file.read_at(0, first.data(), first.size()));
    try {
        read_header(Bytes(first.data(), first.size()), {});
        return true;
    } catch (const Error&) {
        return false;
    }
}

// Removes the file `path` when nobody holds it as its writer and it holds
// what a copy holds; whether it did.
bool remove_if_stale(const std::string& path)
{
    std::unique_ptr<File> file;
    try {
        file = File::open(path);
    } catch (const Error&) {
        return false;  // held open (Windows keeps a writer's file to itself), or no file
    }
    if (!file->writable() || !file->try_lock(kWriterHeldAt, 1, LockMode::Exclusive) || !holds_a_copy(*file))
        return false;
    // Removed with the lock held, so that a writer that had only just created
    // it finds its file gone once it gets the lock, and takes another name.
    // Windows deletes no file that is open without sharing its deletion:
    // there it goes once the handle is closed.
    if (File::remove(path)) return true;
    file.reset();
    return File::remove(path);
}

}  // namespace

std::unique_ptr<File> create_copy(const std::string& destination, std::string& name)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::unique_ptr<File> file = File::create_beside(destination, name);
        if (!file) break;
        // Between its creation and this lock a sweep may have taken the file
        // for a leftover: then it is being removed, or gone already.
        if (file->try_lock(kWriterHeldAt, 1, LockMode::Exclusive) && !file->unlinked()) return file;
    }
    std::error_code ec;
    const std::filesystem::path folder = path_of(destination).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) throw error(kInvalidPath, {destination});
    throw cannot_open_file(destination);
}

int remove_stale_copies(const std::string& destination)
{
    const std::filesystem::path dest = path_of(destination);
    const std::string base = utf8_of(dest.filename().u8string());
    if (base.empty()) return 0;
    const std::filesystem::path folder = dest.parent_path().empty() ? std::filesystem::path(".") : dest.parent_path();
    std::error_code ec;
    std::vector<std::string> found;
    try {
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = utf8_of(entry.path().filename().u8string());
            if (copy_name(name, base) && entry.is_regular_file(ec)) found.push_back(name);
        }
    } catch (const std::filesystem::filesystem_error&) {
        // A folder that cannot be listed to its end: what was found is swept.
    }
    int removed = 0;
    // The destination as given, with the copy's suffix: no path is rebuilt
    // from the listing.
    for (const std::string& name : found)
        if (remove_if_stale(destination + name.substr(base.size()))) ++removed;
    return removed;
}

}  // namespace jet::compaction
