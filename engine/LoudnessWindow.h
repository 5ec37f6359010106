// A sliding mean of channel-weighted squares (the momentary and short-term
// loudness windows), with block times every `hop` samples.
#pragma once

#include "SlidingSum.h"

namespace kalvo5 {

struct LoudnessWindow {
  SlidingSum values;      // the last N inputs; N = trunc(ms * 0.001 * fs)
  int hop = 1;            // trunc((1 - overlap) * N), at least 1
  int count = 0;          // samples since the last block
  bool newBlock = false;  // a block ended with the latest sample

  // Per-sample form (StepLoudnessWindow): sum / N after the latest sample.
  double mean = 0.0;
  // Block-updated form (StepLoudnessWindowBlocks): sum / N at the latest
  // block time.
  double blockValue = 0.0;

  // The extremes sampled at block times. Until the ring has wrapped they are
  // set to the current value rather than compared with it. blockMin starts
  // at 10^7.2, far above any real mean square.
  double blockMax = 0.0;
  double blockMin = 0.0;
};

// Obtains a ring for windows of up to capacityMs (at least ms), sets the
// window to ms with the given overlap and resets it. False when the memory is
// not available; the window then ignores its input.
bool InitLoudnessWindow(LoudnessWindow& w, double sampleRate, double ms, double overlap, double capacityMs);
inline bool InitLoudnessWindow(LoudnessWindow& w, double sampleRate, double ms, double overlap) {
  return InitLoudnessWindow(w, sampleRate, ms, overlap, ms);
}

// Re-creates the window with a new length and overlap inside the ring obtained
// at init, content lost. False, changing nothing, when it does not fit.
bool ResizeLoudnessWindow(LoudnessWindow& w, double sampleRate, double ms, double overlap);

// Means and blockMax 0, blockMin 10^7.2, ring empty.
void ResetLoudnessWindow(LoudnessWindow& w);

namespace detail {
// Stores z and counts towards the next block. False (nothing done) when the
// window got no memory.
inline bool AdvanceLoudnessWindow(LoudnessWindow& w, double z) {
  if (w.values.length == 0) return false;
  PushSlidingSum(w.values, z);
  w.newBlock = ++w.count >= w.hop;
  if (w.newBlock) w.count = 0;
  return true;
}
}  // namespace detail

// Per-sample form: the mean follows every sample; in a sample that ends a
// block the extremes take the mean as it stood before that sample.
inline void StepLoudnessWindow(LoudnessWindow& w, double z) {
  if (!detail::AdvanceLoudnessWindow(w, z)) return;
  const double mean = w.values.sum / static_cast<double>(w.values.length);
  if (!w.values.full) {
    w.blockMax = w.blockMin = mean;
  } else if (w.newBlock) {
    if (w.mean > w.blockMax) w.blockMax = w.mean;
    if (w.mean < w.blockMin) w.blockMin = w.mean;
  }
  w.mean = mean;
}

// Block-updated form: blockValue and the extremes change only when a block
// ends.
inline void StepLoudnessWindowBlocks(LoudnessWindow& w, double z) {
  if (!detail::AdvanceLoudnessWindow(w, z) || !w.newBlock) return;
  w.blockValue = w.values.sum / static_cast<double>(w.values.length);
  if (!w.values.full) {
    w.blockMax = w.blockMin = w.blockValue;
  } else {
    if (w.blockValue > w.blockMax) w.blockMax = w.blockValue;
    if (w.blockValue < w.blockMin) w.blockMin = w.blockValue;
  }
}

}  // namespace kalvo5
