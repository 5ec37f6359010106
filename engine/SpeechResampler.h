// Conversion of the speech detector's input to 16 kHz, one pass of 1024
// output samples at a time, by a polyphase FIR resampler (interpolate by L,
// low-pass, decimate by M).
#pragma once

#include "ResamplingFilter.h"

namespace kalvo5 {

inline constexpr int kSpeechOutputRate = 16000;
inline constexpr int kSpeechPassOutputs = 1024;  // one analysis frame
inline constexpr int kSpeechResamplerHistory = 256;

// One supported input rate. inputNeeded = ceil(M * 1024 / L): the input
// samples one pass takes at most.
struct SpeechRate {
  int inputRate = 0;
  int interpolation = 1;  // L
  int decimation = 1;     // M
  int inputNeeded = 0;
  ResamplingFilterDesign filter;  // taps at inputRate * L
};

// The row for trunc(sampleRate) among 32000, 44100 and 48000 Hz, or null:
// no other rate is supported.
const SpeechRate* FindSpeechRate(double sampleRate);

// The largest interpolation factor L of the rate table.
inline constexpr int kSpeechMaxInterpolation = 160;

struct SpeechResampler {
  int interpolation = 1;
  int decimation = 1;
  int inputNeeded = 0;
  int taps = 0;

  // The filter h in polyphase order: for each phase Q = 0 ... L, the taps
  // h[Q + jL] (j = 0, 1, ... while below taps) stored last j first, so that
  // they line up with the history read oldest first. Phase Q occupies
  // polyphase[phaseStart[Q] ... phaseStart[Q + 1] - 1]. Owned by the caller.
  const float* polyphase = nullptr;
  int phaseStart[kSpeechMaxInterpolation + 2] = {};

  // The latest input samples. Each is stored twice, at w and w + 256, so the
  // newest ones are always contiguous, newest at w + 256.
  float history[2 * kSpeechResamplerHistory] = {};
  unsigned w = 0;
  unsigned phase = 0;  // Q: position of the next output between inputs, in 1/L steps
  bool carry = false;  // heldOver is the oldest sample not yet consumed
  float heldOver = 0.0f;
  bool started = false;
};

// Floats of caller storage the polyphase form of a rate's filter needs.
int SpeechPolyphaseSize(const SpeechRate& rate);

// Binds the resampler to a rate row, rearranges the rate's designed filter h
// (rate.filter.taps values) into `polyphase` (SpeechPolyphaseSize values,
// which must outlive the resampler) and resets it. Not for the audio thread.
void ConfigureSpeechResampler(SpeechResampler& resampler, const SpeechRate& rate, const float* h,
                              float* polyphase);

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
