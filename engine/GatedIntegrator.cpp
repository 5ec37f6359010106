#include "GatedIntegrator.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "LevelScale.h"

namespace kalvo5 {
namespace {

// Once the exact store is exceeded, only values in the bin holding the
// relative threshold can be judged wrongly; if they are a share s of the
// gated values, the result errs by at most 10 log10(1 + s), about 4.3 s LU.
// With 0.01 LU bins that share stays tiny unless the programme piles up
// within 0.01 LU of the threshold (and then the extremes still decide when
// the threshold lies outside them).
constexpr double kBinsPerLU = 100.0;
constexpr int kBinsPerGroup = 100;
// Loudness at and above this shares the top bin (its extremes still split it).
constexpr double kHistogramTop = 30.0;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

// The bin of a loudness at or above the absolute gate (the lowest bin for
// one below it). Monotonic in the loudness: a value in a higher bin than the
// threshold's is above it, one in a lower bin below it.
int BinOf(const GatedIntegrator& g, double loudness) {
  const double position = (loudness - g.absoluteGate) * kBinsPerLU;
  if (!(position >= 0.0)) return 0;
  if (position >= static_cast<double>(g.binCount - 1)) return g.binCount - 1;
  return static_cast<int>(position);
}

// Sums of the bins above `bin` (all of them for -1), through the group sums
// where whole groups lie above it.
void SumAbove(const GatedIntegrator& g, int bin, double& energy, double& count) {
  const int groupOfBin = bin < 0 ? -1 : bin / kBinsPerGroup;
  const int groupEnd = std::min((groupOfBin + 1) * kBinsPerGroup, g.highestUsed + 1);
  for (int k = std::max(bin + 1, g.lowestUsed); k < groupEnd; ++k) {
    energy += g.bins[At(k)].energy;
    count += static_cast<double>(g.bins[At(k)].count);
  }
  const int lastGroup = g.highestUsed / kBinsPerGroup;
  for (int k = groupOfBin + 1; k <= lastGroup; ++k) {
    energy += g.groups[At(k)].energy;
    count += static_cast<double>(g.groups[At(k)].count);
  }
}

// The part of one bin at or above the threshold: value by value while every
// value of the bin is kept, otherwise by its share of the bin's loudness span.
void SumBinFrom(const GatedIntegrator& g, int bin, double threshold, double& energy, double& count) {
  const GatedIntegratorBin& b = g.bins[At(bin)];
  if (b.count == 0 || threshold > b.highest) return;
  if (threshold <= b.lowest) {
    energy += b.energy;
    count += static_cast<double>(b.count);
    return;
  }
  if (g.count <= g.capacity) {
    for (int i = b.firstStored; i != 0; i = g.previousInBin[At(i - 1)]) {
      if (g.storedLoudness[At(i - 1)] >= threshold) {
        energy += g.stored[At(i - 1)];
        count += 1.0;
      }
    }
    return;
  }
  const double share = (b.highest - threshold) / (b.highest - b.lowest);
  energy += share * b.energy;
  count += share * static_cast<double>(b.count);
}

void Recompute(GatedIntegrator& g) {
  g.ungated = MeanSquareToLoudness(g.sum / static_cast<double>(g.count));
  const double threshold = g.ungated + g.relativeGate;
  double energy = 0.0;
  double count = 0.0;
  if (threshold < g.absoluteGate) {
    SumAbove(g, -1, energy, count);
  } else {
    const int bin = BinOf(g, threshold);
    SumAbove(g, bin, energy, count);
    SumBinFrom(g, bin, threshold, energy, count);
  }
  g.gated = MeanSquareToLoudness(count > 0.0 ? energy / count : 0.0);
}

void Take(GatedIntegrator& g, double v, double loudness) {
  const int k = BinOf(g, loudness);
  GatedIntegratorBin& b = g.bins[At(k)];
  if (b.count == 0) {
    b.lowest = b.highest = loudness;
  } else {
    b.lowest = std::min(b.lowest, loudness);
    b.highest = std::max(b.highest, loudness);
  }
  b.energy += v;
  ++b.count;
  GatedIntegratorGroup& group = g.groups[At(k / kBinsPerGroup)];
  group.energy += v;
  ++group.count;
  if (g.highestUsed < g.lowestUsed) {
    g.lowestUsed = g.highestUsed = k;
  } else {
    g.lowestUsed = std::min(g.lowestUsed, k);
    g.highestUsed = std::max(g.highestUsed, k);
  }

  if (g.count < g.capacity) {
    const auto i = static_cast<int>(g.count);
    g.stored[At(i)] = v;
    g.storedLoudness[At(i)] = loudness;
    g.previousInBin[At(i)] = b.firstStored;
    b.firstStored = i + 1;
  }
  ++g.count;
  g.sum += v;
}

// Takes v if it passes the absolute gate; true when it did.
bool Offer(GatedIntegrator& g, double v) {
  const double loudness = MeanSquareToLoudness(v);
  if (!std::isfinite(loudness) || !(loudness >= g.absoluteGate) || g.binCount == 0) return false;
  Take(g, v, loudness);
  Recompute(g);
  return true;
}

}  // namespace

bool InitGatedIntegrator(GatedIntegrator& g, int capacity, double absoluteGate, double relativeGate,
                         double emptyLoudness) {
  g.absoluteGate = absoluteGate;
  g.relativeGate = relativeGate;
  g.emptyLoudness = emptyLoudness;
  g.capacity = std::max(capacity, 0);
  const double span = std::max(kHistogramTop - absoluteGate, 0.0) * kBinsPerLU;
  g.binCount = g.capacity > 0 ? static_cast<int>(std::min(span, 1.0e6)) + 1 : 0;
  const int groupCount = g.binCount > 0 ? (g.binCount - 1) / kBinsPerGroup + 1 : 0;
  const bool allocated = g.bins.Allocate(At(g.binCount)) && g.groups.Allocate(At(groupCount)) &&
                         g.stored.Allocate(At(g.capacity)) && g.storedLoudness.Allocate(At(g.capacity)) &&
                         g.previousInBin.Allocate(At(g.capacity));
  if (!allocated || g.capacity == 0) {
    g.binCount = 0;
    g.capacity = 0;
  }
  // The whole histogram is in use for the first reset, so that it writes
  // every page now rather than when the audio thread first reaches it.
  g.lowestUsed = 0;
  g.highestUsed = g.binCount - 1;
  ResetGatedIntegrator(g);
  return allocated;
}

void ResetGatedIntegrator(GatedIntegrator& g) {
  if (g.highestUsed >= g.lowestUsed) {
    const int firstGroup = g.lowestUsed / kBinsPerGroup;
    const int lastGroup = g.highestUsed / kBinsPerGroup;
    std::fill(&g.bins[At(g.lowestUsed)], &g.bins[At(g.highestUsed)] + 1, GatedIntegratorBin{});
    std::fill(&g.groups[At(firstGroup)], &g.groups[At(lastGroup)] + 1, GatedIntegratorGroup{});
  }
  g.lowestUsed = 0;
  g.highestUsed = -1;
  g.count = 0;
  g.sum = 0.0;
  g.earlyOnly = false;
  g.ungated = g.emptyLoudness;
  g.gated = g.emptyLoudness;
}

void UpdateGatedIntegrator(GatedIntegrator& g, double v) {
  if (g.earlyOnly) ResetGatedIntegrator(g);
  Offer(g, v);
}

void UpdateGatedIntegratorEarly(GatedIntegrator& g, double v) {
  if (Offer(g, v)) g.earlyOnly = true;
}

}  // namespace kalvo5
