// The gated energy average of BS.1770, generalised: the latest `capacity`
// values that pass an absolute gate, averaged over those that also pass a
// gate relative to their own mean.
#pragma once

#include "FixedArray.h"
#include "SlidingSum.h"

namespace kalvo5 {

struct GatedIntegrator {
  SlidingSum values;              // stored mean squares (linear)
  FixedArray<double> loudness;    // the loudness of each stored value, same positions
  double absoluteGate = -70.0;    // LUFS; a value enters only at or above it
  double relativeGate = -10.0;    // LU, added to the ungated loudness
  double emptyLoudness = -141.0;  // what ungated and gated read while nothing is stored

  // Outputs, in LUFS.
  double ungated = -141.0;  // loudness of the mean of the stored values
  double gated = -141.0;    // loudness of the mean of those at or above ungated + relativeGate
};

// Obtains the rings for `capacity` values (at least 1) and resets. False when
// the memory is not available; the integrator then stores nothing.
bool InitGatedIntegrator(GatedIntegrator& g, int capacity, double absoluteGate, double relativeGate,
                         double emptyLoudness);

// Empties the rings; ungated and gated read emptyLoudness.
void ResetGatedIntegrator(GatedIntegrator& g);

// Offers one mean square v (a 100 ms block, an envelope value). A value whose
// loudness is below the absolute gate, or not finite, changes nothing.
// Otherwise it replaces the oldest one once `capacity` are stored, and both
// outputs are recomputed (one pass over the stored values).
void UpdateGatedIntegrator(GatedIntegrator& g, double v);

// At least one value is stored.
inline bool HasValue(const GatedIntegrator& g) { return StoredCount(g.values) > 0; }

}  // namespace kalvo5
