// The two stages of the BS.1770 K-weighting: a high-frequency shelf and a
// high-pass, designed from their analog prototypes for any sample rate.
#pragma once

#include "BiquadSection.h"

namespace kalvo5 {

// Design variables of a stage, kept for inspection beside the coefficients
// they produced.
struct KWeightingDesign {
  double sampleRate = 0.0;
  double f0 = 0.0;
  double vb = 0.0;    // mid gain (shelf)
  double unit = 1.0;  // numerator scale of the high-pass
  double vh = 0.0;    // high gain (shelf)
  double q = 0.0;
  double k = 0.0;  // tan(pi f0 / fs)
  double kSquared = 0.0;
  double a0Raw = 1.0;  // the normaliser all coefficients were divided by
};

struct KWeightingStage {
  BiquadState state;
  KWeightingDesign design;
  BiquadCoefficients coefficients;  // normalised: a0 = 1
};

// Both design routines clear the stage's state.
void DesignKShelf(KWeightingStage& stage, double sampleRate);
void DesignKHighPass(KWeightingStage& stage, double sampleRate);

inline double StepKWeighting(KWeightingStage& stage, double x, double offset) {
  return StepNormalisedBiquad(stage.coefficients, stage.state, x, offset);
}

inline void ResetKWeighting(KWeightingStage& stage) { stage.state = BiquadState{}; }

}  // namespace kalvo5
