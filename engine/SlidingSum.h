// The latest `length` values in a ring, with their running sum: the shared
// core of the sliding windows and of the gated integrator.
#pragma once

#include <cstddef>

#include "FixedArray.h"

namespace kalvo5 {

struct SlidingSum {
  FixedArray<double> ring;  // capacity fixed by AllocateSlidingSum
  int length = 0;           // values summed, 1 ... capacity; 0 when nothing is allocated
  int pos = 0;              // next write position
  bool full = false;        // the ring has wrapped since the reset
  double sum = 0.0;         // sum of the stored values, never negative
  double passSum = 0.0;     // sum of the values written since the last wrap
};

// Obtains a ring of `capacity` values (at least 1) and uses all of it. False,
// with nothing stored and pushes ignored, when the memory is not available.
bool AllocateSlidingSum(SlidingSum& s, int capacity);

// Uses the first `length` values of the ring and clears the content. False,
// changing nothing, unless 1 <= length <= capacity.
bool SetSlidingSumLength(SlidingSum& s, int length);

// Forgets the content; nothing is written, the ring is read again only where
// it has been overwritten since.
inline void ResetSlidingSum(SlidingSum& s) {
  s.pos = 0;
  s.full = false;
  s.sum = 0.0;
  s.passSum = 0.0;
}

inline int StoredCount(const SlidingSum& s) { return s.full ? s.length : s.pos; }

// The value the next push will drop from the sum (0 while the ring fills).
inline double LeavingValue(const SlidingSum& s) {
  return s.full ? s.ring[static_cast<std::size_t>(s.pos)] : 0.0;
}

// Adds v as the newest value; once the ring is full the oldest one leaves the
// sum, which is clamped at 0. Returns true when the write position wrapped.
inline bool PushSlidingSum(SlidingSum& s, double v) {
  if (s.length == 0) return false;
  const double old = LeavingValue(s);
  s.ring[static_cast<std::size_t>(s.pos)] = v;
  s.sum += v;
  if (s.full) {
    s.sum -= old;
    if (s.sum < 0.0) s.sum = 0.0;
  }
  s.passSum += v;
  if (++s.pos < s.length) return false;
  s.pos = 0;
  s.full = true;
  // Every stored value was added in this pass: restart the running sum from
  // them, so rounding left by earlier values cannot build up over hours (and
  // silence after loud passages reads as silence again).
  s.sum = s.passSum;
  s.passSum = 0.0;
  return true;
}

}  // namespace kalvo5
