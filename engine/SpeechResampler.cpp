#include "SpeechResampler.h"

#include <algorithm>
#include <cmath>

namespace kalvo5 {

namespace {

// All three filters share one shape: a 4 ms Kaiser-windowed (beta 4.8)
// raised-cosine low-pass whose 6 dB point sits just below the 8 kHz Nyquist
// limit of the output. Flat within 0.001 dB to 6 kHz, at least 87 dB down
// above 8.3 kHz. Decimating by 2 from 32 kHz folds 8.3 kHz onto 7.7 kHz, so
// that filter sits 270 Hz lower.
constexpr double kWindowBeta = 4.8;
constexpr double kDcGain = 0.99;

constexpr SpeechRate kRates[] = {
    {32000, 1, 2, 2048, {129, 32000.0, 7170.0, 730.0, kWindowBeta, kDcGain}},
    // The prototype runs at 160 x 44.1 kHz; its gain of 160 x 0.99 gives each
    // of its phases the gain 0.99.
    {44100, 160, 441, 2823, {28225, 160.0 * 44100.0, 7440.0, 680.0, kWindowBeta, 160.0 * kDcGain}},
    {48000, 1, 3, 3072, {193, 48000.0, 7440.0, 680.0, kWindowBeta, kDcGain}},
};

// Taps of phase Q: h[Q + jL] for j = 0, 1, ... while below taps.
int PhaseLength(int phase, int L, int taps) { return phase < taps ? (taps - phase + L - 1) / L : 0; }

// One output: the sum over j of history[w - j] h[Q + jL]. With the taps in
// polyphase order that is a plain dot product of `count` contiguous values,
// the oldest sample first. Eight interleaved partial sums, added pairwise at
// the end, let the products run in parallel (and vectorise).
float DotProduct(const float* x, const float* t, int count) {
  float acc[8] = {};
  int j = 0;
  for (; j + 8 <= count; j += 8)
    for (int k = 0; k < 8; ++k) acc[k] += x[j + k] * t[j + k];
  float tail = 0.0f;
  for (; j < count; ++j) tail += x[j] * t[j];
  return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7])) + tail;
}

}  // namespace

const SpeechRate* FindSpeechRate(double sampleRate) {
  if (!std::isfinite(sampleRate)) return nullptr;
  const double rate = std::trunc(sampleRate);
  for (const SpeechRate& row : kRates)
    if (rate == row.inputRate) return &row;
  return nullptr;
}

int SpeechPolyphaseSize(const SpeechRate& rate) {
  int size = 0;
  for (int phase = 0; phase <= rate.interpolation; ++phase)
    size += PhaseLength(phase, rate.interpolation, rate.filter.taps);
  return size;
}

void ConfigureSpeechResampler(SpeechResampler& r, const SpeechRate& rate, const float* h, float* polyphase) {
  r.interpolation = std::clamp(rate.interpolation, 1, kSpeechMaxInterpolation);
  r.decimation = rate.decimation;
  r.inputNeeded = rate.inputNeeded;
  r.taps = rate.filter.taps;
  int start = 0;
  for (int phase = 0; phase <= r.interpolation; ++phase) {
    const int count = PhaseLength(phase, r.interpolation, r.taps);
    r.phaseStart[phase] = start;
    for (int j = 0; j < count; ++j) polyphase[start + count - 1 - j] = h[phase + j * r.interpolation];
    start += count;
  }
  r.phaseStart[r.interpolation + 1] = start;
  r.polyphase = polyphase;
  ResetSpeechResampler(r);
}

void ResetSpeechResampler(SpeechResampler& r) {
  for (float& v : r.history) v = 0.0f;
  r.w = 0;
  r.phase = 0;
  r.carry = false;
  r.heldOver = 0.0f;
  r.started = false;
}

void ResampleSpeechPass(SpeechResampler& r, const float* input, int count, float* output) {
  constexpr unsigned kMask = kSpeechResamplerHistory - 1;
  const unsigned L = static_cast<unsigned>(r.interpolation);
  const unsigned M = static_cast<unsigned>(r.decimation);
  int next = 0;
  // The oldest unconsumed sample; past the end of the pass (which the rate
  // table rules out) it reads as silence rather than out of bounds.
  const auto take = [&]() -> float {
    if (r.carry) {
      r.carry = false;
      return r.heldOver;
    }
    return next < count ? input[next++] : 0.0f;
  };
  const auto push = [&](float v) {
    r.history[r.w] = v;
    r.history[r.w + kSpeechResamplerHistory] = v;
  };

  if (!r.started) {
    r.w = 0;
    push(take());
    r.started = true;
  }
  for (int i = 0; i < kSpeechPassOutputs; ++i) {
    // history[w + 256 - j] is the input j samples back.
    const int start = r.phaseStart[r.phase];
    const int length = r.phaseStart[r.phase + 1] - start;
    const float* oldest = r.history + r.w + kSpeechResamplerHistory - (length - 1);
    output[i] = DotProduct(oldest, r.polyphase + start, length);
    // A phase is consumed only while Q exceeds L, so Q ends in 1 ... L.
    r.phase += M;
    while (r.phase > L) {
      r.phase -= L;
      r.w = (r.w + 1) & kMask;
      push(take());
    }
  }
  if (next == count - 1) {
    r.heldOver = input[next];
    r.carry = true;
  }
}

}  // namespace kalvo5
