// Loudness range (EBU Tech 3342): the spread between two percentiles of
// the short-term loudness values, kept as a histogram of 0.1 LU bins from
// -70 to +30 LUFS over every value since the reset: its memory does not grow
// however long the measurement runs.
#pragma once

#include <array>
#include <cstdint>

namespace kalvo5 {

inline constexpr int kRangeBins = 1001;

struct LoudnessRangeMeter {
  std::int64_t count = 0;  // values stored
  std::array<std::int64_t, kRangeBins> histogram{};
  std::array<double, kRangeBins> binEnergy{};  // mean square of each bin's lower edge
  double energy = 0.0;                         // summed bin energy of the stored values
  // The lowest and highest bins holding values (empty: kRangeBins and -1);
  // the bins outside add nothing to the sums.
  int lowestBin = kRangeBins;
  int highestBin = -1;

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

// Sets gates and percentiles, resets.
void InitLoudnessRangeMeter(LoudnessRangeMeter& m, double absoluteGate, double relativeGate,
                            double lowPercentile, double highPercentile);

void ResetLoudnessRangeMeter(LoudnessRangeMeter& m);

// Offers one short-term mean square s. Below the absolute gate, or with a
// non-finite loudness, nothing happens; otherwise the value is stored and
// all outputs are recomputed from the histogram.
void UpdateLoudnessRangeMeter(LoudnessRangeMeter& m, double s);

inline bool HasValue(const LoudnessRangeMeter& m) { return m.count > 0; }

}  // namespace kalvo5
