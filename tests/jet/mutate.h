// Deterministic damage to a database file's bytes: bit flips, odd values in
// counts and pointers, truncation, pages overwritten with zeros, random bytes
// or other pages. Shared by the mutation gtest (mutation_test.cpp) and the
// damaged-files reliability program (tests/reliability/mutants.cpp), so that
// both damage files the same way. Needs nothing but the standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace jettest {

// splitmix64: the same numbers on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t state_;
};

// The page size of a database file's bytes: Jet 3 files (version byte 0 at
// offset 0x14) have pages of 2048 bytes, Jet 4 files of 4096.
inline std::uint32_t page_size_of(const std::vector<std::uint8_t>& b)
{
    return b.size() > 0x14 && b[0x14] == 0 ? 2048 : 4096;
}

// One mutation. The file must hold at least three pages.
inline void mutate(std::vector<std::uint8_t>& b, std::uint32_t page_size, Random& rnd)
{
    const std::size_t pages = b.size() / page_size;
    // Most structure sits at the start of a page: aim there half of the time.
    auto position = [&] {
        const std::size_t page = rnd.below(pages);
        const std::size_t within = rnd.below(2) ? rnd.below(96) : rnd.below(page_size);
        return page * page_size + within;
    };
    switch (rnd.below(7)) {
    case 0:
    case 1:
        for (std::size_t n = 1 + rnd.below(8); n > 0; --n) b[position()] ^= static_cast<std::uint8_t>(1u << rnd.below(8));
        break;
    case 2: {
        static const std::uint32_t odd[] = {0, 1, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF, 0x10000,
                                            0xFFFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
        std::uint32_t v = odd[rnd.below(std::size(odd))];
        if (rnd.below(3) == 0) v = static_cast<std::uint32_t>(pages + rnd.below(3) - 1);
        const std::size_t at = position();
        const std::size_t width = std::size_t{1} << rnd.below(3);
        for (std::size_t k = 0; k < width && at + k < b.size(); ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
        break;
    }
    case 3:
        b.resize(rnd.below(2) ? rnd.below(pages) * page_size : rnd.below(b.size()));
        break;
    case 4: {
        const std::size_t page = 1 + rnd.below(pages - 1);
        std::uint8_t* p = b.data() + page * page_size;
        switch (rnd.below(3)) {
        case 0: std::memset(p, 0, page_size); break;
        case 1:
            for (std::size_t k = 0; k < page_size; ++k) p[k] = static_cast<std::uint8_t>(rnd.next());
            break;
        default: std::memmove(p, b.data() + rnd.below(pages) * page_size, page_size); break;
        }
        break;
    }
    case 5:  // the page type and the counts that follow it
        b[rnd.below(pages) * page_size + rnd.below(16)] = static_cast<std::uint8_t>(rnd.next());
        break;
    default:
        for (std::size_t n = 1 + rnd.below(4); n > 0; --n) b[rnd.below(b.size())] = static_cast<std::uint8_t>(rnd.next());
        break;
    }
}

// A damaged copy's usual dose: one to three mutations, as long as the file
// keeps at least three pages (a truncation may end it early).
inline void mutate_some(std::vector<std::uint8_t>& b, std::uint32_t page_size, Random& rnd)
{
    for (std::size_t n = 1 + rnd.below(3); n > 0 && b.size() >= std::size_t{page_size} * 3; --n)
        mutate(b, page_size, rnd);
}

}  // namespace jettest
