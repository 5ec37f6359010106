#include "LoudnessRangeMeter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "LevelScale.h"

namespace kalvo5 {
namespace {

constexpr double kFloor = -70.0;  // loudness of bin 0
constexpr double kCeiling = 30.0;

double BinLoudness(int k) { return k / 10.0 + kFloor; }

int BinOf(double loudness) {
  return static_cast<int>((std::min(std::max(loudness, kFloor), kCeiling) - kFloor) * 10.0);
}

// The first bin whose loudness is at or above the threshold (kRangeBins when
// there is none; 0 for a threshold that is not a number): started from the
// computed bin and moved by the same comparison, so the answer is that of a
// search from bin 0.
int FirstBinAtOrAbove(double threshold) {
  const auto below = [threshold](int k) { return BinLoudness(k) < threshold; };
  const double guess = std::ceil((threshold - kFloor) * 10.0);
  int k = guess > 0.0 ? (guess < kRangeBins ? static_cast<int>(guess) : kRangeBins) : 0;
  while (k > 0 && !below(k - 1)) --k;
  while (k < kRangeBins && below(k)) ++k;
  return k;
}

// Position in the ascending list of a values nearest to the percentile.
std::int64_t PercentileIndex(std::int64_t a, double percentile) {
  return static_cast<std::int64_t>(std::floor(static_cast<double>(a - 1) * percentile / 100.0 + 0.5));
}

// The loudness of the element at `index` of the ascending list formed by the
// bins from `first` on, each repeated by its count.
double ListElement(const LoudnessRangeMeter& m, int first, std::int64_t index) {
  std::int64_t seen = 0;
  for (int k = std::max(first, m.lowestBin); k < kRangeBins; ++k) {
    seen += m.histogram[static_cast<std::size_t>(k)];
    if (seen > index) return BinLoudness(k);
  }
  return BinLoudness(kRangeBins - 1);
}

}  // namespace

void InitLoudnessRangeMeter(LoudnessRangeMeter& m, double absoluteGate, double relativeGate,
                            double lowPercentile, double highPercentile) {
  m.absoluteGate = absoluteGate;
  m.relativeGate = relativeGate;
  m.lowPercentile = lowPercentile;
  m.highPercentile = highPercentile;
  for (int k = 0; k < kRangeBins; ++k) {
    const double level = BinLoudness(k);
    m.binEnergy[static_cast<std::size_t>(k)] =
        level > kSilenceDb ? std::pow(10.0, (level + 0.691) / 10.0) : 0.0;
  }
  ResetLoudnessRangeMeter(m);
}

void ResetLoudnessRangeMeter(LoudnessRangeMeter& m) {
  m.count = 0;
  m.histogram.fill(0);
  m.lowestBin = kRangeBins;
  m.highestBin = -1;
  m.energy = 0.0;
  m.gatedLoudness = kSilenceDb;
  m.relativeThreshold = kSilenceDb;
  m.low = kSilenceDb;
  m.high = kSilenceDb;
  m.lra = kSilenceDb;
}

void UpdateLoudnessRangeMeter(LoudnessRangeMeter& m, double s) {
  const double level = MeanSquareToLoudness(s);
  if (!std::isfinite(level) || !(level >= m.absoluteGate)) return;

  const int bin = BinOf(level);
  ++m.histogram[static_cast<std::size_t>(bin)];
  ++m.count;
  m.lowestBin = std::min(m.lowestBin, bin);
  m.highestBin = std::max(m.highestBin, bin);

  // Summed from the histogram rather than kept running: exact, and cheap at
  // one update per block. Empty bins add +0, which leaves the sum as it is.
  double energy = 0.0;
  for (int k = m.lowestBin; k <= m.highestBin; ++k)
    energy += static_cast<double>(m.histogram[static_cast<std::size_t>(k)]) *
              m.binEnergy[static_cast<std::size_t>(k)];
  m.energy = energy;
  m.gatedLoudness = MeanSquareToLoudness(energy / static_cast<double>(m.count));
  m.relativeThreshold = m.gatedLoudness + m.relativeGate;

  // The gated list starts at the first bin at or above the threshold.
  const int first = FirstBinAtOrAbove(m.relativeThreshold);
  std::int64_t a = 0;
  for (int k = std::max(first, m.lowestBin); k <= m.highestBin; ++k)
    a += m.histogram[static_cast<std::size_t>(k)];
  if (a == 0) {
    m.low = m.high = m.gatedLoudness;
    m.lra = 0.0;
    return;
  }
  m.low = ListElement(m, first, PercentileIndex(a, m.lowPercentile));
  m.high = ListElement(m, first, PercentileIndex(a, m.highPercentile));
  m.lra = RoundToTenth(std::max(m.high - m.low, 0.0));
}

}  // namespace kalvo5
