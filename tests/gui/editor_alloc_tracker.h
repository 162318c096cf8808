// Counts how often chosen objects are deleted, through the editor test program's
// own operator new and delete: a free counts only while the address still holds
// the watched object, so that an address handed out again by new and freed later
// is not taken for a second deletion, while a real double delete is.
#pragma once
#include <vector>

// Starts watching these objects (and stops watching others).
void WatchDeletes(const std::vector<const void*>& objects);
// Stops counting; the counts stay readable.
void StopWatchingDeletes();
// How often the i-th watched object was deleted since WatchDeletes.
int DeleteCount(int i);
