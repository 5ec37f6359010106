// What the EBU and DIAL analyzers' block forms share: one piece of samples
// of a channel layout made ready for the meters and the loudness windows.
// The layout's finite samples, the meters' magnitudes (true peaks or sample
// magnitudes), the K-weighting and the channel-weighted squares. A channel
// outside the layout costs nothing once its filter has faded (its residue is
// then dropped) and its true peak and meter rest at 0, so the work follows
// the layout's channel count.
#pragma once

#include <cstdint>

#include "ChannelConfig.h"
#include "ChannelPeakMeter.h"
#include "KWeightingBank.h"
#include "TruePeakBank.h"

namespace kalvo5 {

// The block forms work through longer blocks in pieces of this many samples.
inline constexpr int kLoudnessPieceFrames = kTruePeakBlockFrames;

// An analyzer's scratch for its pieces, and how long each channel's
// K-weighting has been fed zeros.
struct LoudnessPieceState {
  // A channel outside the layout is filtered only until its K-weighting has
  // settled on silence: filterSettle zeros in a row (filterIdle counts them).
  std::int64_t filterSettle = 48000;
  std::int64_t filterIdle[kAnalyzerChannels] = {};
  alignas(32) double input[kAnalyzerChannels][kLoudnessPieceFrames] = {};
  alignas(32) double estimate[kAnalyzerChannels][kLoudnessPieceFrames] = {};
  alignas(32) double weighted[kAnalyzerChannels][kLoudnessPieceFrames] = {};
  alignas(32) double power[kLoudnessPieceFrames] = {};
};

// The analyzer parts a piece runs through.
struct LoudnessPieceParts {
  TruePeakBank& truePeak;
  KWeightingBank& kWeighting;
  ChannelPeakMeter* meters;  // six
  // Without true peak, meters that take samples are given the samples
  // themselves rather than their magnitudes.
  MeterValues metersTake = MeterValues::Magnitudes;
};

// One prepared piece of n samples.
struct LoudnessPiece {
  int frames = 0;
  // The meters that move in this piece (the layout's and those not yet at
  // rest), with the magnitudes each takes.
  ChannelPeakMeter* meters[kAnalyzerChannels] = {};
  const double* magnitudes[kAnalyzerChannels] = {};
  int meterCount = 0;
  MeterValues meterValues = MeterValues::Magnitudes;  // what `magnitudes` holds
  // The layout's samples, non-finite ones as 0 (zeros for other channels).
  const double* input[kAnalyzerChannels] = {};
  // The weighted squares of the layout and of the channels still fading
  // (only while measuring).
  const double* power = nullptr;
};

// The filters' settling time for the rate; all filters counted as settled.
void InitLoudnessPieceState(LoudnessPieceState& state, double sampleRate);
void ResetLoudnessPieceState(LoudnessPieceState& state);
// The per-sample forms filter every channel.
void MarkAllChannelsFiltered(LoudnessPieceState& state);

// Prepares samples done ... done + n - 1 (n at most kLoudnessPieceFrames) of
// x[c], c below the layout's channel count: true peaks (with truePeakOn),
// K-weighting and, when measuring, the weighted squares. The meters are
// left to the caller. Audio thread; allocation-free.
LoudnessPiece PrepareLoudnessPiece(LoudnessPieceState& state, const LoudnessPieceParts& parts,
                                   LoudnessChannelConfig config, bool truePeakOn, bool measuring,
                                   const double* const* x, int done, int n);

}  // namespace kalvo5
