#include "AudioThreadCounters.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
// The C library's lock under its internal name (exported only as a
// versioned symbol).
int CLibraryMutexLock(pthread_mutex_t* mutex);
__asm__(".symver CLibraryMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");
}

namespace realtime {
namespace {

thread_local bool tCounting = false;
std::atomic<long> gAllocations{0};
std::atomic<long> gFrees{0};
std::atomic<long> gLocks{0};
std::atomic<long> gLongestLockNs{0};

long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000L + t.tv_nsec;
}

void CountAllocation() {
  if (tCounting) gAllocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void CountOnThisThread(bool on) { tCounting = on; }

Counts TakeCounts() {
  return {gAllocations.exchange(0), gFrees.exchange(0), gLocks.exchange(0), gLongestLockNs.exchange(0)};
}

}  // namespace realtime

extern "C" {

void* malloc(std::size_t size) {
  realtime::CountAllocation();
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  realtime::CountAllocation();
  return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) {
  realtime::CountAllocation();
  return __libc_realloc(pointer, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  realtime::CountAllocation();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  realtime::CountAllocation();
  *out = __libc_memalign(alignment, size);
  return *out || size == 0 ? 0 : 12;  // ENOMEM
}

void free(void* pointer) {
  if (pointer && realtime::tCounting) realtime::gFrees.fetch_add(1, std::memory_order_relaxed);
  __libc_free(pointer);
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
  if (!realtime::tCounting) return CLibraryMutexLock(mutex);
  realtime::gLocks.fetch_add(1, std::memory_order_relaxed);
  const long start = realtime::NowNs();
  const int result = CLibraryMutexLock(mutex);
  const long waited = realtime::NowNs() - start;
  long longest = realtime::gLongestLockNs.load(std::memory_order_relaxed);
  while (waited > longest && !realtime::gLongestLockNs.compare_exchange_weak(longest, waited)) {
  }
  return result;
}

}  // extern "C"
