#include "jet/compaction/compact.h"

#include "jet/base/bytes.h"
#include "jet/compaction/compact_copy.h"
#include "jet/compaction/compact_keep.h"
#include "jet/compaction/compact_rebuild.h"
#include "jet/compaction/compact_tables.h"
#include "jet/base/error.h"
#include "jet/base/file.h"
#include "jet/base/header.h"
#include "jet/database/lock_census.h"
#include "jet/pages/page.h"
#include "jet/base/rc4.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>

namespace jet {

namespace {

using PageBytes = std::vector<std::uint8_t>;

Error invalid_argument() { return error(kInvalidArgument); }

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
// out exactly as it was read. Not flushed.
void write_pages(File& out, const std::vector<PageBytes>& pages, const Header& header)
{
    const std::size_t page_size = header.layout().page_size;
    const auto count = static_cast<std::uint32_t>(pages.size());
    constexpr std::uint32_t kRun = 256;
    // Not cleared first: every byte of a run is a page's.
    const auto run = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{std::min(kRun, count)} * page_size);
    for (std::uint32_t first = 0; first < count; first += kRun) {
        const std::uint32_t n = std::min(kRun, count - first);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint8_t* at = run.get() + std::size_t{i} * page_size;
            std::memcpy(at, pages[first + i].data(), page_size);
            apply_page_key(header.page_key, first + i, at, page_size);
        }
        if (!out.write_at(std::uint64_t{first} * page_size, run.get(), std::size_t{n} * page_size)) throw disk_error();
    }
}

// The copy's file, read back through a pager while its writer keeps it
// open (and so keeps its lock on it).
class ReadBack final : public File {
public:
    explicit ReadBack(File& file) : file_(file) {}
    std::uint64_t size() override { return file_.size(); }
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t count) override
    {
        return file_.read_at(offset, buffer, count);
    }
    bool writable() const override { return false; }

private:
    File& file_;
};

// Whether the copy just written, read back from its file, holds the
// source's tables with the same rows and long values, byte for byte.
bool reads_as_source(File& written, const std::vector<compaction::TableDigests>& source_reading,
                     const std::string& name)
{
    std::vector<std::uint8_t> first(kJet4Layout.page_size);
    first.resize(written.read_at(0, first.data(), first.size()));
    try {
        Pager copy(std::make_unique<ReadBack>(written), read_header(Bytes(first.data(), first.size()), name));
        return compaction::read_stored(copy) == source_reading;
    } catch (const Error&) {
    } catch (const Corrupt&) {
    } catch (const std::length_error&) {
    }
    return false;
}

// Writes `pages` into the copy and flushes it; whether it then reads as the
// source did. The copy is read back while the device writes it: set going
// where the system can do that, else flushed by another thread meanwhile
// (this one reads: it keeps the memory it read into before).
bool written_as_source(File& out, const std::vector<PageBytes>& pages, const Header& header,
                       const std::vector<compaction::TableDigests>& reading, const std::string& name)
{
    write_pages(out, pages, header);
    std::future<bool> flushing;
    if (!out.start_flush())
        flushing = std::async(std::launch::async | std::launch::deferred, [&out] { return out.flush(); });
    const bool same = reads_as_source(out, reading, name);
    if (!(flushing.valid() ? flushing.get() : out.flush())) throw disk_error();
    return same;
}

// Compacts the source into the copy `out` (named `partial`) and reads it
// back; the figures of the compaction used.
CompactResult compact_into(Pager& pager, const std::vector<compaction::TableDigests>& reading,
                           std::unique_ptr<File>& out, std::string& partial, const std::string& source,
                           const std::string& destination)
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
    if (!pages.empty()) {
        if (written_as_source(*out, pages, header, reading, partial)) return rebuilt;
        // A rebuilt copy that does not read as its source is not kept: the
        // other compaction writes a fresh one.
        out.reset();
        File::remove(partial);
        out = compaction::create_copy(destination, partial);
    }
    CompactResult kept;
    try {
        pages = compaction::keep_pages(pager, kept);
    } catch (const Corrupt&) {
        throw needs_repair(source);
    } catch (const std::length_error&) {
        throw needs_repair(source);
    }
    if (!written_as_source(*out, pages, header, reading, partial)) throw needs_repair(source);
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
    // Write rule 10: the source is held alone and only ever read.
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
    // Read as the reader reads it: what the reader refuses is refused here
    // with the reader's error.
    std::vector<compaction::TableDigests> reading;
    try {
        reading = compaction::read_checked(*pager);
    } catch (const Corrupt&) {
        throw needs_repair(source);
    } catch (const std::length_error&) {
        throw needs_repair(source);
    }

    // Written under a name of its own, so that a compaction cut short
    // leaves no destination behind, only that file, which the next
    // compaction into the same destination removes.
    compaction::remove_stale_copies(destination);
    std::string partial;
    std::unique_ptr<File> out = compaction::create_copy(destination, partial);
    CompactResult result;
    try {
        result = compact_into(*pager, reading, out, partial, source, destination);
        // Named while its writer still holds it where an open file can be
        // renamed, so that no sweep takes it for a leftover in between;
        // where it cannot (Windows), closed first.
        if (!out->replaceable_while_open()) out.reset();
        bool exists = false;
        if (!File::rename_new(partial, destination, exists)) {
            if (exists) throw error(kDatabaseExists);
            throw disk_error();
        }
        out.reset();
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
