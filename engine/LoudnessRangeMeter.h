// Loudness range (EBU Tech 3342): the spread between two percentiles of
// the short-term loudness values, kept as a histogram of 0.1 LU bins from
// -70 to +30 LUFS over the latest `capacity` values.
#pragma once

#include <array>
#include <cstdint>

#include "FixedArray.h"

namespace kalvo5 {

inline constexpr int kRangeBins = 1001;

struct LoudnessRangeMeter {
  FixedArray<std::int16_t> ring;  // bin of each stored value, oldest at pos once full
  int capacity = 0;
  int pos = 0;
  bool full = false;
  std::array<int, kRangeBins> histogram{};
  std::array<double, kRangeBins> binEnergy{};  // mean square of each bin's lower edge
  double energy = 0.0;                         // summed bin energy of the stored values

  double absoluteGate = -70.0;  // LUFS
  double relativeGate = -20.0;  // LU below gatedLoudness
  double lowPercentile = 10.0;
  double highPercentile = 95.0;

  // Outputs (LUFS, LU); -144 while nothing is stored.
  double gatedLoudness = -144.0;
  double relativeThreshold = -144.0;
  double low = -144.0;
  double high = -144.0;
  double lra = -144.0;
};

// Obtains the ring for `capacity` values (at least 1), sets gates and
// percentiles, resets. False when the memory is not available; the meter
// then stores nothing.
bool InitLoudnessRangeMeter(LoudnessRangeMeter& m, int capacity, double absoluteGate, double relativeGate,
                            double lowPercentile, double highPercentile);

void ResetLoudnessRangeMeter(LoudnessRangeMeter& m);

// Offers one short-term mean square s. Below the absolute gate, or with a
// non-finite loudness, nothing happens; otherwise the value is stored (the
// oldest one leaving once `capacity` are stored) and all outputs are
// recomputed from the histogram.
void UpdateLoudnessRangeMeter(LoudnessRangeMeter& m, double s);

inline bool HasValue(const LoudnessRangeMeter& m) { return m.full || m.pos > 0; }

}  // namespace kalvo5
