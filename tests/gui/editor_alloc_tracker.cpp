#include "editor_alloc_tracker.h"

#include <cstdlib>
#include <new>

namespace {
constexpr int kMaxWatched = 16;
const void* g_watched[kMaxWatched];
int g_deletes[kMaxWatched];
bool g_reused[kMaxWatched]; // new handed the address out again after a delete
int g_nWatched = 0;
bool g_bActive = false;

void NoteNew(void* p)
{
    if (!g_bActive) return;
    for (int i = 0; i < g_nWatched; ++i)
        if (g_watched[i] == p && g_deletes[i] > 0) g_reused[i] = true;
}

void NoteFree(void* p)
{
    if (!g_bActive) return;
    for (int i = 0; i < g_nWatched; ++i)
        if (g_watched[i] == p && !g_reused[i]) ++g_deletes[i];
}
} // namespace

void WatchDeletes(const std::vector<const void*>& objects)
{
    g_nWatched = 0;
    for (const void* p : objects) {
        if (g_nWatched == kMaxWatched) break;
        g_deletes[g_nWatched] = 0;
        g_reused[g_nWatched] = false;
        g_watched[g_nWatched++] = p;
    }
    g_bActive = true;
}

void StopWatchingDeletes()
{
    g_bActive = false;
}

int DeleteCount(int i)
{
    return i >= 0 && i < g_nWatched ? g_deletes[i] : 0;
}

// The program's allocation functions: malloc and free, with both noted.
void* operator new(std::size_t n)
{
    if (void* p = std::malloc(n ? n : 1)) {
        NoteNew(p);
        return p;
    }
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
