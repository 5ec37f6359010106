// Conversion of the speech detector's input to 16 kHz, one pass of 1024
// output samples at a time, by a polyphase FIR resampler (interpolate by L,
// low-pass, decimate by M).
#pragma once

#include "ResamplingFilter.h"
#include "SimdPath.h"

namespace kalvo5 {

inline constexpr int kSpeechOutputRate = 16000;
inline constexpr int kSpeechPassOutputs = 1024;  // one analysis frame
inline constexpr int kSpeechResamplerHistory = 256;

// The resampler's row for one input rate: interpolate by L, low-pass,
// decimate by M. inputNeeded = ceil(M * 1024 / L): the input samples one pass
// takes at most.
struct SpeechRate {
  int inputRate = 0;
  int interpolation = 1;  // L
  int decimation = 1;     // M
  int inputNeeded = 0;
  ResamplingFilterDesign filter;  // taps at inputRate * L
};

// How one sample rate reaches 16 kHz: `halvings` 2:1 half-band stages, then
// the resampler row at the rate they leave.
struct SpeechRoute {
  int sampleRate = 0;  // trunc of the rate asked for
  int halvings = 0;
  SpeechRate row;
};

inline constexpr int kSpeechMaxHalvings = 3;

// The route for trunc(sampleRate). 32, 44.1 and 48 kHz have filters of their
// own; 64 kHz and more are halved down to below 64 kHz while even (88.2 and
// 176.4 kHz reach the 44.1 kHz row, 96 and 192 kHz the 48 kHz row); any other
// rate from 8 kHz up gets a row derived from its ratio to 16 kHz. False for
// rates below 8 kHz, non-finite ones, and rates whose ratio to 16 kHz needs
// a filter too large to hold (a prime-like rate such as 44101 Hz).
bool FindSpeechRoute(double sampleRate, SpeechRoute& route);

// Where one phase's taps lie in the polyphase filter.
struct SpeechPhase {
  int start = 0;
  int length = 0;
};

struct SpeechResampler {
  int interpolation = 1;
  int decimation = 1;
  int inputNeeded = 0;
  int taps = 0;

  // The filter h in polyphase order: for each phase Q = 0 ... L, the taps
  // h[Q + jL] (j = 0, 1, ... while below taps) stored last j first, so that
  // they line up with the history read oldest first. Phase Q occupies
  // polyphase[phases[Q].start ...] for phases[Q].length values; each phase
  // starts on a 32-byte boundary, so that no vector load of its taps spans
  // two cache lines. Both owned by the caller.
  const float* polyphase = nullptr;
  const SpeechPhase* phases = nullptr;

  // The latest 256 input samples, oldest first.
  float history[kSpeechResamplerHistory] = {};
  // Working space of a pass (caller storage, SpeechLineSize values): the
  // history followed by every sample the pass takes in, in order, so that
  // each output reads one contiguous stretch of it.
  float* line = nullptr;
  unsigned phase = 0;  // Q: position of the next output between inputs, in 1/L steps
  bool carry = false;  // heldOver is the oldest sample not yet consumed
  float heldOver = 0.0f;
  bool started = false;
  SimdPath path = SimdPath::Baseline;  // the dot products' vector width; every path gives the same bits
};

// Floats of caller storage the polyphase form of a rate's filter needs (its
// alignment included), entries of the phase table (L + 1), and floats for a
// pass's working line (the history, the samples a pass takes in and the one
// a new start adds).
int SpeechPolyphaseSize(const SpeechRate& rate);
inline int SpeechPhaseTableSize(const SpeechRate& rate) { return rate.interpolation + 1; }
inline int SpeechLineSize(int inputNeeded) { return kSpeechResamplerHistory + inputNeeded + 2; }

// Binds the resampler to a rate row, rearranges the rate's designed filter h
// (rate.filter.taps values) into `polyphase` (SpeechPolyphaseSize values) and
// `phases` (SpeechPhaseTableSize entries), takes `line` (SpeechLineSize
// values) as its working space, all of which must outlive the resampler,
// and resets it. Not for the audio thread.
void ConfigureSpeechResampler(SpeechResampler& resampler, const SpeechRate& rate, const float* h,
                              float* polyphase, SpeechPhase* phases, float* line);

// Runs the resampler on another path from now on; false, changing nothing,
// when this processor lacks it. For tests and measurements.
bool SelectSpeechResamplerPath(SpeechResampler& resampler, SimdPath path);

// Back to the state after configuration: history zero, phase 0, no carry.
void ResetSpeechResampler(SpeechResampler& resampler);

// How many new samples the next pass takes: inputNeeded less a held-over one.
inline int SpeechResamplerNeed(const SpeechResampler& resampler) {
  return resampler.inputNeeded - (resampler.carry ? 1 : 0);
}

// Produces 1024 outputs from `count` new samples (SpeechResamplerNeed of them).
// A single sample left over is held for the next pass. Allocation-free.
void ResampleSpeechPass(SpeechResampler& resampler, const float* input, int count, float* output);

}  // namespace kalvo5
