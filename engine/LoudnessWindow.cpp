#include "LoudnessWindow.h"

#include <algorithm>
#include <cmath>

#include "LevelScale.h"
#include "SampleCount.h"
#include "SimdVector.h"

namespace kalvo5 {
namespace {

int HopFor(int length, double overlap) { return ClampSampleCount((1.0 - overlap) * length); }

struct RunSums {
  double added;   // the sum of the values written
  double change;  // added less the sum of the values they replaced
};

// Writes `count` values into the ring at `slot` (never past its end). With
// kReplace the ring was full and each value replaces one still in the sum.
// Four partial sums in two-lane registers, so no add waits for the one
// before.
template <bool kReplace>
RunSums WriteRun(double* slot, const double* z, int count) {
  using simd::Vec2;
  Vec2 added0{}, added1{}, left0{}, left1{};
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    const Vec2 a = simd::Load<Vec2>(z + k);
    const Vec2 b = simd::Load<Vec2>(z + k + 2);
    if constexpr (kReplace) {
      left0 += simd::Load<Vec2>(slot + k);
      left1 += simd::Load<Vec2>(slot + k + 2);
    }
    simd::Store(slot + k, a);
    simd::Store(slot + k + 2, b);
    added0 += a;
    added1 += b;
  }
  const Vec2 added2 = added0 + added1;
  const Vec2 left2 = left0 + left1;
  double added = added2[0] + added2[1];
  double left = left2[0] + left2[1];
  for (; k < count; ++k) {
    if constexpr (kReplace) left += slot[k];
    slot[k] = z[k];
    added += z[k];
  }
  return {added, added - left};
}

}  // namespace

bool InitLoudnessWindow(LoudnessWindow& w, double fs, double ms, double overlap, double capacityMs) {
  const int length = SamplesFor(ms, fs);
  const int capacity = SamplesFor(capacityMs, fs);
  const bool allocated = AllocateSlidingSum(w.values, capacity > length ? capacity : length);
  if (allocated) SetSlidingSumLength(w.values, length);
  w.hop = HopFor(length, overlap);
  ResetLoudnessWindow(w);
  return allocated;
}

bool ResizeLoudnessWindow(LoudnessWindow& w, double fs, double ms, double overlap) {
  const int length = SamplesFor(ms, fs);
  if (!SetSlidingSumLength(w.values, length)) return false;
  w.hop = HopFor(length, overlap);
  ResetLoudnessWindow(w);
  return true;
}

void ResetLoudnessWindow(LoudnessWindow& w) {
  ResetSlidingSum(w.values);
  w.count = 0;
  w.newBlock = false;
  w.mean = 0.0;
  w.blockValue = 0.0;
  w.blockMax = 0.0;
  w.blockMin = std::pow(10.0, 7.2);
  w.displayed = kSilenceDb;
}

void StepLoudnessWindowRun(LoudnessWindow& w, const double* z, int steps) {
  SlidingSum& s = w.values;
  if (s.length == 0 || steps <= 0) return;
  const bool fullBefore = s.full;
  // Every value but the last stays clear of the wrap: written and summed in
  // one pass. The last takes the per-sample push, which also wraps.
  const int body = steps - 1;
  double* slot = s.ring.data() + s.pos;
  const RunSums sums = fullBefore ? WriteRun<true>(slot, z, body) : WriteRun<false>(slot, z, body);
  s.sum = std::max(s.sum + sums.change, 0.0);
  s.passSum += sums.added;
  s.pos += body;
  const double sumBefore = s.sum;  // before the last value
  PushSlidingSum(s, z[body]);

  w.count += steps;
  w.newBlock = w.count >= w.hop;
  if (w.newBlock) w.count = 0;
  const double length = static_cast<double>(s.length);
  const double mean = s.sum / length;
  const double before = sumBefore / length;  // the mean as it stood before the last value
  if (!s.full) {
    w.blockMax = w.blockMin = mean;
  } else {
    // Only the last two values can move the extremes: the one before it may
    // still have been filling, and the last may end a block.
    if (!fullBefore && steps >= 2) w.blockMax = w.blockMin = before;
    if (w.newBlock) {
      if (before > w.blockMax) w.blockMax = before;
      if (before < w.blockMin) w.blockMin = before;
    }
  }
  w.mean = mean;
}

}  // namespace kalvo5
