// The two K-weighting stages for six channels side by side: the same
// outputs as per-channel KWeightingStage pairs, computed across the channels
// at once.
#pragma once

#include "KWeightingStage.h"
#include "SimdPath.h"

namespace kalvo5 {

inline constexpr int kKWeightingBankChannels = 6;

enum class KWeightingOrder : int {
  ShelfFirst = 0,     // shelf, then high-pass
  HighPassFirst = 1,  // high-pass, then shelf
};

// How the block form sums each stage's terms.
enum class KWeightingBlockSums : int {
  // The latest output's term last, so the recursion waits for one
  // multiply-add per sample: the per-sample outputs to within rounding.
  LatestLast = 0,
  // In the per-sample form's order: its outputs bit for bit.
  AsPerSample = 1,
};

// One stage's history across the channels (lanes 6 and 7 pad each row).
struct KWeightingBankState {
  alignas(32) double x1[8] = {};
  alignas(32) double x2[8] = {};
  alignas(32) double y1[8] = {};
  alignas(32) double y2[8] = {};
};

struct KWeightingBank {
  // The designs in processing order; their own state fields stay unused.
  KWeightingStage first;
  KWeightingStage second;
  KWeightingOrder order = KWeightingOrder::ShelfFirst;
  double antiDenormal = 1e-25;  // added to each stage's input and output
  SimdPath path = SimdPath::Baseline;
  KWeightingBlockSums blockSums = KWeightingBlockSums::LatestLast;
  KWeightingBankState state[2];
};

// Designs both stages for the rate in the given order, selects the fastest
// path of this processor and clears the state.
void InitKWeightingBank(KWeightingBank& bank, double sampleRate, KWeightingOrder order, double antiDenormal,
                        KWeightingBlockSums blockSums = KWeightingBlockSums::LatestLast);

void ResetKWeightingBank(KWeightingBank& bank);

// Runs the bank on another path from now on; false, changing nothing, when
// this processor lacks it. For tests and measurements.
bool SelectKWeightingBankPath(KWeightingBank& bank, SimdPath path);

// Filters one sample per channel: per channel, the first stage takes
// x + antiDenormal and the second the first's output + antiDenormal; each
// stage adds antiDenormal to its output. Audio thread; allocation-free.
void ProcessKWeightingBank(KWeightingBank& bank, const double (&x)[kKWeightingBankChannels],
                           double (&y)[kKWeightingBankChannels]);

// Block form: filters `frames` samples of channels 0 ... channels - 1 (at
// most 6), x[c] into y[c], with the same arithmetic per sample as
// ProcessKWeightingBank but for the order of each sum (see
// KWeightingBlockSums). The channels run in groups of a register's width,
// so a group may take a channel beyond `channels` along: x and y must hold
// valid buffers for all six (zeros as the input of channels with nothing to
// filter). Returns the number of channels filtered (0 ... c - 1); the others
// keep their state. With KWeightingBlockSums::AsPerSample the outputs are
// ProcessKWeightingBank's bit for bit. Audio thread; allocation-free.
int ProcessKWeightingBankBlock(KWeightingBank& bank, int channels,
                               const double* const (&x)[kKWeightingBankChannels],
                               double* const (&y)[kKWeightingBankChannels], int frames);

}  // namespace kalvo5
