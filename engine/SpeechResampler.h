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

struct SpeechResampler {
  int interpolation = 1;
  int decimation = 1;
  int inputNeeded = 0;
  int taps = 0;
  const float* h = nullptr;  // taps coefficients, owned by the caller

  // The latest input samples. Each is stored twice, at w and w + 256, so the
  // newest `history` samples are always contiguous, newest at w + 256.
  float history[2 * kSpeechResamplerHistory] = {};
  unsigned w = 0;
  unsigned phase = 0;  // Q: position of the next output between inputs, in 1/L steps
  bool carry = false;  // heldOver is the oldest sample not yet consumed
  float heldOver = 0.0f;
  bool started = false;
};

// Binds the resampler to a rate row and its designed coefficients (which must
// outlive it) and resets it.
void ConfigureSpeechResampler(SpeechResampler& resampler, const SpeechRate& rate, const float* coefficients);

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
