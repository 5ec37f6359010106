#include "MeanSquareWindow.h"

#include <limits>

#include "SampleCount.h"

namespace kalvo5 {

bool InitMeanSquareWindow(MeanSquareWindow& w, double fs, double ms, double capacityMs) {
  const int length = SamplesFor(ms, fs);
  const int capacity = SamplesFor(capacityMs, fs);
  const bool allocated = AllocateSlidingSum(w.values, capacity > length ? capacity : length);
  if (allocated) SetSlidingSumLength(w.values, length);
  w.hop = ClampSampleCount(fs * 0.1);
  ResetMeanSquareWindow(w);
  return allocated;
}

bool ResizeMeanSquareWindow(MeanSquareWindow& w, double fs, double ms) {
  if (!SetSlidingSumLength(w.values, SamplesFor(ms, fs))) return false;
  ResetMeanSquareWindow(w);
  return true;
}

void ResetMeanSquareWindow(MeanSquareWindow& w) {
  ResetSlidingSum(w.values);
  w.hopCount = 0;
  w.newBlock = false;
  w.mean = 0.0;
  w.meanMax = 0.0;
  w.meanMin = std::numeric_limits<double>::max();
}

}  // namespace kalvo5
