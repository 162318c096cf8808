// Counts frees of chosen addresses, through the test program's operator delete.
#pragma once
#include <vector>

// Starts counting the frees of these addresses (and stops counting others).
void Watch(const std::vector<const void*>& pointers);
// Stops counting; the counts stay readable.
void StopWatching();
int WatchedCount();
// How often the i-th watched address was freed since Watch.
int FreeCount(int i);
