#include "KWeightingStage.h"

#include <cmath>

namespace kalvo5 {
namespace {

// The part both stages share: the bilinear-transform variables of the analog
// prototype at f0 and Q (piF0 is pi * f0), the denominator normalised by
// a0raw, and a cleared state. The caller fills in the numerator.
KWeightingDesign& BeginDesign(KWeightingStage& stage, double fs, double f0, double q, double piF0) {
  KWeightingDesign& d = stage.design;
  d.sampleRate = fs;
  d.f0 = f0;
  d.q = q;
  d.k = std::tan(piF0 / fs);
  d.kSquared = d.k * d.k;
  d.a0Raw = 1.0 + d.k / d.q + d.kSquared;

  BiquadCoefficients& c = stage.coefficients;
  c.a0 = 1.0;
  c.a1 = 2.0 * (d.kSquared - 1.0) / d.a0Raw;
  c.a2 = (1.0 - d.k / d.q + d.kSquared) / d.a0Raw;
  stage.state = BiquadState{};
  return d;
}

}  // namespace

void DesignKShelf(KWeightingStage& stage, double fs) {
  KWeightingDesign& d = BeginDesign(stage, fs, 1681.974450955532, 0.70717523695542, 5284.078578647624);
  d.vh = 1.58486470113086;
  d.vb = 1.25872093023256;
  d.unit = 1.0;

  BiquadCoefficients& c = stage.coefficients;
  c.b0 = (d.vh + d.vb * d.k / d.q + d.kSquared) / d.a0Raw;
  c.b1 = 2.0 * (d.kSquared - d.vh) / d.a0Raw;
  c.b2 = (d.vh - d.vb * d.k / d.q + d.kSquared) / d.a0Raw;
}

void DesignKHighPass(KWeightingStage& stage, double fs) {
  KWeightingDesign& d = BeginDesign(stage, fs, 38.13547087611304, 0.50032703732504, 119.80611514558424);
  d.vh = 1.0;
  d.vb = 0.0;
  // The numerator is this constant over a0raw at every rate: at 48 kHz a0raw
  // equals it and the numerator becomes [1, -2, 1].
  d.unit = 1.00499489871469;

  BiquadCoefficients& c = stage.coefficients;
  c.b0 = d.unit / d.a0Raw;
  c.b1 = -2.0 * d.unit / d.a0Raw;
  c.b2 = d.unit / d.a0Raw;
}

}  // namespace kalvo5
