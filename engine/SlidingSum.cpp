#include "SlidingSum.h"

#include <cstddef>

namespace kalvo5 {

bool AllocateSlidingSum(SlidingSum& s, int capacity) {
  ResetSlidingSum(s);
  s.length = 0;
  if (capacity < 1) capacity = 1;
  if (!s.ring.Allocate(static_cast<std::size_t>(capacity))) return false;
  s.length = capacity;
  return true;
}

bool SetSlidingSumLength(SlidingSum& s, int length) {
  if (length < 1 || static_cast<std::size_t>(length) > s.ring.size()) return false;
  s.length = length;
  ResetSlidingSum(s);
  return true;
}

}  // namespace kalvo5
