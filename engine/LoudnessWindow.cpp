#include "LoudnessWindow.h"

#include <cmath>

#include "SampleCount.h"

namespace kalvo5 {
namespace {

int HopFor(int length, double overlap) { return ClampSampleCount((1.0 - overlap) * length); }

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
}

}  // namespace kalvo5
