// The gated energy average of BS.1770, generalised: all values since the
// reset that pass an absolute gate, averaged over those that also pass a gate
// relative to their own mean. However long the measurement runs, the memory
// stays what Init obtained.
//
// The values are counted in a histogram of 0.01 LU bins (energy sum, count
// and loudness extremes per bin), grouped by 100 for short walks. The first
// `capacity` values are also kept exactly, chained per bin, so that while
// they are all there the bin holding the relative threshold is split value
// by value and the result is exact. Later values only enter the histogram;
// that bin is then split by linear interpolation between its extremes, which
// errs only by a share of the values within 0.01 LU of the threshold.
#pragma once

#include <cstdint>

#include "FixedArray.h"

namespace kalvo5 {

struct GatedIntegratorBin {
  double energy = 0.0;  // sum of the mean squares in the bin
  double lowest = 0.0;  // the extremes of their loudness (valid while count > 0)
  double highest = 0.0;
  std::int64_t count = 0;
  int firstStored = 0;  // 1 + store index of the latest kept value in the bin; 0: none
};

struct GatedIntegratorGroup {
  double energy = 0.0;
  std::int64_t count = 0;
};

struct GatedIntegrator {
  double absoluteGate = -70.0;    // LUFS; a value enters only at or above it
  double relativeGate = -10.0;    // LU, added to the ungated loudness
  double emptyLoudness = -141.0;  // what ungated and gated read while nothing is stored

  // Every value taken since the reset.
  std::int64_t count = 0;
  double sum = 0.0;  // of their mean squares, in arrival order

  // The histogram: bin k holds loudness from absoluteGate + k/100 on; the
  // lowest and the highest bin also take everything below and above.
  FixedArray<GatedIntegratorBin> bins;
  FixedArray<GatedIntegratorGroup> groups;  // bins 100 g ... 100 g + 99 summed
  int binCount = 0;                         // 0 when nothing could be allocated
  int lowestUsed = 0;                       // bins outside lowestUsed ... highestUsed are empty
  int highestUsed = -1;

  // The first `capacity` values, exactly: mean square, loudness, and
  // 1 + the index of the previous kept value in the same bin (0: none).
  FixedArray<double> stored;
  FixedArray<double> storedLoudness;
  FixedArray<int> previousInBin;
  int capacity = 0;

  bool earlyOnly = false;  // what is stored came from UpdateGatedIntegratorEarly

  // Outputs, in LUFS.
  double ungated = -141.0;  // loudness of the mean of the stored values
  double gated = -141.0;    // loudness of the mean of those at or above ungated + relativeGate
};

// Obtains the histogram and the exact store for `capacity` values and
// resets. With capacity 0 it holds no memory and takes nothing: its outputs
// read emptyLoudness. False when the memory is not available; the
// integrator then takes nothing either. Not for the audio thread.
bool InitGatedIntegrator(GatedIntegrator& g, int capacity, double absoluteGate, double relativeGate,
                         double emptyLoudness);

// Empties the integrator; ungated and gated read emptyLoudness.
// Allocation-free; the work grows with the loudness span seen since the
// last reset.
void ResetGatedIntegrator(GatedIntegrator& g);

// Offers one mean square v (a 100 ms block, an envelope value). A value whose
// loudness is below the absolute gate, or not finite, is not taken;
// otherwise it is taken and both outputs are recomputed. The first call after
// early values drops them, whether or not its own value passes the gate.
// Audio thread; allocation-free, bounded work.
void UpdateGatedIntegrator(GatedIntegrator& g, double v);

// Offers a value that only stands in until the first regular value arrives
// (a block measured over less than its full length). Call it only before any
// regular value since the reset.
void UpdateGatedIntegratorEarly(GatedIntegrator& g, double v);

// At least one value is stored.
inline bool HasValue(const GatedIntegrator& g) { return g.count > 0; }

}  // namespace kalvo5
