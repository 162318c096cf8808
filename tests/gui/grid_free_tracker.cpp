#include "grid_free_tracker.h"

#include <cstdlib>
#include <new>

namespace {
constexpr int kMaxWatched = 256;
const void* g_watched[kMaxWatched];
int g_freed[kMaxWatched];
int g_nWatched = 0;
bool g_bActive = false;

void NoteFree(void* p)
{
    if (!g_bActive) return;
    for (int i = 0; i < g_nWatched; ++i)
        if (g_watched[i] == p) ++g_freed[i];
}
} // namespace

void Watch(const std::vector<const void*>& pointers)
{
    g_nWatched = 0;
    for (const void* p : pointers) {
        if (g_nWatched == kMaxWatched) break;
        g_freed[g_nWatched] = 0;
        g_watched[g_nWatched++] = p;
    }
    g_bActive = true;
}

void StopWatching()
{
    g_bActive = false;
}

int WatchedCount()
{
    return g_nWatched;
}

int FreeCount(int i)
{
    return i >= 0 && i < g_nWatched ? g_freed[i] : 0;
}

// The program's allocation functions: malloc and free, with frees noted.
void* operator new(std::size_t n)
{
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    NoteFree(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    NoteFree(p);
    std::free(p);
}
