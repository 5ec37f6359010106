// The RMS analyzer's frequency weightings, one filter per measured channel.
#pragma once

#include "BiquadSection.h"
#include "KWeightingStage.h"

namespace kalvo5 {

// The choices of "RMS Weighting Filer Mode", in parameter order.
enum class WeightingMode : int {
  None = 0,    // "---"
  BS1770 = 1,  // K-weighting
  LeqA = 2,
  LeqB = 3,
  LeqC = 4,
  LeqM = 5,
  LeqAPlus3 = 6,
};

inline constexpr int kWeightingSectionCount = 7;

struct WeightingFilter {
  KWeightingStage kShelf;
  KWeightingStage kHighPass;
  BiquadSection sections[kWeightingSectionCount];  // S0 ... S6
  WeightingMode mode = WeightingMode::None;
  double offsetDb = 0.0;
  double gain = 1.0;  // 10^(offsetDb/20)

  // Which sections the mode runs, in order. Set by the design.
  int activeSections[kWeightingSectionCount] = {};
  int activeCount = 0;
};

// Designs the sections the mode uses for the sample rate, clearing their
// state; stages the mode does not use keep theirs. Mode values outside 0 ... 6
// are treated as "---".
void DesignWeighting(WeightingMode mode, double sampleRate, WeightingFilter& filter);

// Filters one sample. "---" returns x bit for bit.
double ProcessWeighting(WeightingFilter& filter, double x);

// Clears every stage's state; the design stays.
void ResetWeighting(WeightingFilter& filter);

}  // namespace kalvo5
