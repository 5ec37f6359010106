// A sliding mean over the last N mean-square values with a block flag every
// 100 ms: the short and long windows of the RMS analyzer's Leq(M) path.
#pragma once

#include "SlidingSum.h"

namespace kalvo5 {

struct MeanSquareWindow {
  SlidingSum values;  // the last N inputs; N = trunc(ms * 0.001 * fs)
  int hop = 1;        // trunc(0.1 * fs): one block per 100 ms
  int hopCount = 0;
  bool newBlock = false;  // a block ended with the latest sample
  double mean = 0.0;      // sum / N, every sample
  double meanMax = 0.0;   // largest mean since the reset
  double meanMin = 0.0;   // smallest mean before the ring first wrapped
};

// Obtains a ring for windows of up to capacityMs (at least ms), sets the
// window to ms and resets it. False when the memory is not available; the
// window then ignores its input.
bool InitMeanSquareWindow(MeanSquareWindow& w, double sampleRate, double ms, double capacityMs);

// Re-creates the window with a new length inside the ring obtained at init,
// content lost. False, changing nothing, when it does not fit.
bool ResizeMeanSquareWindow(MeanSquareWindow& w, double sampleRate, double ms);

void ResetMeanSquareWindow(MeanSquareWindow& w);

inline void StepMeanSquareWindow(MeanSquareWindow& w, double v) {
  if (w.values.length == 0) return;
  PushSlidingSum(w.values, v);
  w.mean = w.values.sum / static_cast<double>(w.values.length);
  if (w.mean > w.meanMax) w.meanMax = w.mean;
  if (!w.values.full && w.mean < w.meanMin) w.meanMin = w.mean;
  w.newBlock = ++w.hopCount >= w.hop;
  if (w.newBlock) w.hopCount = 0;
}

}  // namespace kalvo5
