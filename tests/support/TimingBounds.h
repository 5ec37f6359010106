// Measuring work against a time bound. Bounds are stated for the release
// build; sanitizer builds run the same code several times slower,
// ThreadSanitizer most of all. Processor time, not wall time, is what a bound
// checks: the work's own cost, whatever else the machine is doing.
#pragma once

#include <time.h>

#include <algorithm>

namespace testsupport {

#if defined(__SANITIZE_THREAD__)
inline constexpr double kSanitizerSlowdown = 20.0;
#elif defined(__SANITIZE_ADDRESS__)
inline constexpr double kSanitizerSlowdown = 4.0;
#else
inline constexpr double kSanitizerSlowdown = 1.0;
#endif

// The processor time the calling thread has used, in milliseconds.
inline double ThreadCpuMs() {
  timespec time{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
  return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) * 1e-6;
}

// The processor time of the fastest of `runs` runs of `work`, in milliseconds.
template <class Work>
double FastestCpuMs(Work work, int runs = 5) {
  double fastest = 1e9;
  for (int run = 0; run < runs; ++run) {
    const double start = ThreadCpuMs();
    work();
    fastest = std::min(fastest, ThreadCpuMs() - start);
  }
  return fastest;
}

}  // namespace testsupport
