// Counts what the current thread asks of the C library while counting is on:
// allocations, frees and mutex locks. The counting functions replace malloc,
// free and pthread_mutex_lock for the whole test program (and for the
// plug-in module it loads), forwarding to the C library's own.
#pragma once

namespace realtime {

struct Counts {
  long allocations = 0;
  long frees = 0;
  long locks = 0;
  long longestLockNs = 0;  // the longest single pthread_mutex_lock call
};

// Switches counting on or off for the calling thread only.
void CountOnThisThread(bool on);
// What was counted since the last Take, on every thread that counted.
Counts TakeCounts();

}  // namespace realtime
