#include "SpeechResampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <type_traits>

#include "SimdVector.h"

namespace kalvo5 {

namespace {

// All filters share one shape: a 4 ms Kaiser-windowed (beta 4.8)
// raised-cosine low-pass whose 6 dB point sits just below the 8 kHz Nyquist
// limit of the output. Flat within 0.001 dB to 6 kHz, at least 87 dB down
// above 8.3 kHz. Decimating by 2 from 32 kHz folds 8.3 kHz onto 7.7 kHz, so
// that filter sits 270 Hz lower.
constexpr double kWindowBeta = 4.8;
constexpr double kDcGain = 0.99;
constexpr double kCutoffHz = 7440.0;
constexpr double kTransitionHz = 680.0;

constexpr SpeechRate kRates[] = {
    {32000, 1, 2, 2048, {129, 32000.0, 7170.0, 730.0, kWindowBeta, kDcGain}},
    // The prototype runs at 160 x 44.1 kHz; its gain of 160 x 0.99 gives each
    // of its phases the gain 0.99.
    {44100, 160, 441, 2823, {28225, 160.0 * 44100.0, kCutoffHz, kTransitionHz, kWindowBeta, 160.0 * kDcGain}},
    {48000, 1, 3, 3072, {193, 48000.0, kCutoffHz, kTransitionHz, kWindowBeta, kDcGain}},
};

// Below this the band the detector listens to is mostly gone.
constexpr int kLowestRate = 8000;
// From here on a rate is halved (while even): the half-band stage keeps
// 0 ... 0.13 fs, which reaches 8.3 kHz only from 64 kHz up.
constexpr int kHalvingFrom = 64000;
// The most taps a derived filter may have (2 MB); 44.056 kHz needs 352481.
constexpr std::int64_t kMostTaps = std::int64_t{1} << 19;

// The row for any other rate: L / M is 16 kHz / rate in lowest terms, the
// filter the 48 kHz one's shape, 4 ms long at the prototype rate L x rate.
// Below 16 kHz the filter also removes the images of interpolation, so it
// must have fallen off by half the input rate.
bool DeriveRow(int rate, SpeechRate& row) {
  const int common = std::gcd(rate, kSpeechOutputRate);
  const std::int64_t L = kSpeechOutputRate / common;
  const std::int64_t M = rate / common;
  const std::int64_t taps = 2 * (L * rate / 500) + 1;
  // Each output reads ceil(taps / L) samples of the resampler's history.
  if (taps > kMostTaps || (taps + L - 1) / L > kSpeechResamplerHistory) return false;
  const double cutoff = std::min(kCutoffHz, 0.5 * rate - 0.5 * kTransitionHz);
  row.inputRate = rate;
  row.interpolation = static_cast<int>(L);
  row.decimation = static_cast<int>(M);
  row.inputNeeded = static_cast<int>((M * kSpeechPassOutputs + L - 1) / L);
  row.filter = {
      static_cast<int>(taps),          static_cast<double>(L * rate), cutoff, kTransitionHz, kWindowBeta,
      static_cast<double>(L) * kDcGain};
  return true;
}

// Taps of phase Q: h[Q + jL] for j = 0, 1, ... while below taps.
int PhaseLength(int phase, int L, int taps) { return phase < taps ? (taps - phase + L - 1) / L : 0; }

// One output: the sum over j of history[w - j] h[Q + jL]. With the taps in
// polyphase order that is a plain dot product of `count` contiguous values,
// the oldest sample first. Eight interleaved partial sums (sum k takes the
// products j = k mod 8), added pairwise at the end, let the products run in
// parallel: in one 8-lane register where the path has one, else in two of
// four lanes, each lane doing the same operations, so the bits do not
// depend on the path.
template <bool kWide>
struct DotSums {
  using Lanes = std::conditional_t<kWide, simd::Floats8, simd::Floats4>;
  static constexpr int kRegisters = kWide ? 1 : 2;
  Lanes sums[kRegisters] = {};

  // The products j ... j + 7 into their sums.
  [[gnu::always_inline]] void Add(const float* x, const float* t, int j) {
    constexpr int width = static_cast<int>(sizeof(Lanes) / sizeof(float));
    for (int k = 0; k < kRegisters; ++k)
      sums[k] += simd::Load<Lanes>(x + j + k * width) * simd::Load<Lanes>(t + j + k * width);
  }

  // The rest of the products from j on, and the sums added up.
  [[gnu::always_inline]] float Total(const float* x, const float* t, int j, int count) {
    for (; j + 8 <= count; j += 8) Add(x, t, j);
    float acc[8];
    std::memcpy(acc, sums, sizeof acc);
    float tail = 0.0f;
    for (; j < count; ++j) tail += x[j] * t[j];
    return ((acc[0] + acc[1]) + (acc[2] + acc[3])) + ((acc[4] + acc[5]) + (acc[6] + acc[7])) + tail;
  }
};

// One output's samples (oldest first) and taps.
struct DotInput {
  const float* oldest;
  const float* taps;
  int length;
};

// Four outputs' dot products side by side: each output's additions are the
// ones it has alone, in the same order, but the four chains of additions
// overlap in time.
template <bool kWide>
[[gnu::always_inline]] inline void DotProducts4(const DotInput (&in)[4], float* out) {
  DotSums<kWide> s0, s1, s2, s3;
  const int common = std::min({in[0].length, in[1].length, in[2].length, in[3].length});
  int j = 0;
  if (in[0].taps == in[1].taps && in[0].taps == in[2].taps && in[0].taps == in[3].taps) {
    // One phase for all four (every output when L is 1): its taps are loaded
    // once for the four products.
    for (; j + 8 <= common; j += 8) {
      s0.Add(in[0].oldest, in[0].taps, j);
      s1.Add(in[1].oldest, in[0].taps, j);
      s2.Add(in[2].oldest, in[0].taps, j);
      s3.Add(in[3].oldest, in[0].taps, j);
    }
  }
  for (; j + 8 <= common; j += 8) {
    s0.Add(in[0].oldest, in[0].taps, j);
    s1.Add(in[1].oldest, in[1].taps, j);
    s2.Add(in[2].oldest, in[2].taps, j);
    s3.Add(in[3].oldest, in[3].taps, j);
  }
  out[0] = s0.Total(in[0].oldest, in[0].taps, j, in[0].length);
  out[1] = s1.Total(in[1].oldest, in[1].taps, j, in[1].length);
  out[2] = s2.Total(in[2].oldest, in[2].taps, j, in[2].length);
  out[3] = s3.Total(in[3].oldest, in[3].taps, j, in[3].length);
}

}  // namespace

bool FindSpeechRoute(double sampleRate, SpeechRoute& route) {
  if (!std::isfinite(sampleRate) || sampleRate < kLowestRate) return false;
  const double truncated = std::trunc(sampleRate);
  if (truncated > static_cast<double>(kHalvingFrom << kSpeechMaxHalvings)) return false;
  route.sampleRate = static_cast<int>(truncated);
  route.halvings = 0;
  int rate = route.sampleRate;
  while (rate >= kHalvingFrom && rate % 2 == 0 && route.halvings < kSpeechMaxHalvings) {
    rate /= 2;
    ++route.halvings;
  }
  for (const SpeechRate& row : kRates)
    if (rate == row.inputRate) {
      route.row = row;
      return true;
    }
  return DeriveRow(rate, route.row);
}

namespace {

// Floats in one 32-byte line of taps.
constexpr int kTapAlignment = 8;

int AlignedLength(int length) { return (length + kTapAlignment - 1) / kTapAlignment * kTapAlignment; }

}  // namespace

int SpeechPolyphaseSize(const SpeechRate& rate) {
  int size = kTapAlignment - 1;  // room to move the start to a boundary
  for (int phase = 0; phase <= rate.interpolation; ++phase)
    size += AlignedLength(PhaseLength(phase, rate.interpolation, rate.filter.taps));
  return size;
}

void ConfigureSpeechResampler(SpeechResampler& r, const SpeechRate& rate, const float* h, float* polyphase,
                              SpeechPhase* phases, float* line) {
  r.interpolation = std::max(rate.interpolation, 1);
  r.decimation = rate.decimation;
  r.inputNeeded = rate.inputNeeded;
  r.taps = rate.filter.taps;
  const auto address = reinterpret_cast<std::uintptr_t>(polyphase);
  const std::uintptr_t misalignment = address % (kTapAlignment * sizeof(float));
  float* aligned = polyphase;
  if (misalignment != 0) aligned += (kTapAlignment * sizeof(float) - misalignment) / sizeof(float);
  std::fill(polyphase, polyphase + SpeechPolyphaseSize(rate), 0.0f);
  int start = 0;
  for (int phase = 0; phase <= r.interpolation; ++phase) {
    const int count = PhaseLength(phase, r.interpolation, r.taps);
    phases[phase] = {start, count};
    for (int j = 0; j < count; ++j) aligned[start + count - 1 - j] = h[phase + j * r.interpolation];
    start += AlignedLength(count);
  }
  r.polyphase = aligned;
  r.phases = phases;
  r.line = line;
  r.path = BestSimdPath();
  ResetSpeechResampler(r);
}

bool SelectSpeechResamplerPath(SpeechResampler& r, SimdPath path) {
  if (!SimdPathSupported(path)) return false;
  r.path = path;
  return true;
}

void ResetSpeechResampler(SpeechResampler& r) {
  for (float& v : r.history) v = 0.0f;
  r.phase = 0;
  r.carry = false;
  r.heldOver = 0.0f;
  r.started = false;
}

namespace {

template <bool kWide>
[[gnu::always_inline]] inline void ResamplePass(SpeechResampler& r, const float* input, int count,
                                                float* output) {
  constexpr int kHistory = kSpeechResamplerHistory;
  static_assert(kSpeechPassOutputs % 4 == 0);
  const unsigned L = static_cast<unsigned>(r.interpolation);
  const unsigned M = static_cast<unsigned>(r.decimation);
  // The line: the history, then the samples in the order the pass takes
  // them in (a held-over one first), then silence for any taken past the
  // end of the input (which the rate table rules out). All are written
  // before any output reads them.
  float* line = r.line;
  const int lineSize = SpeechLineSize(r.inputNeeded);
  std::copy_n(r.history, kHistory, line);
  const bool carried = r.carry;
  int filled = kHistory;
  if (carried) line[filled++] = r.heldOver;
  const int copied = std::clamp(count, 0, lineSize - filled);
  std::copy_n(input, copied, line + filled);
  std::fill(line + filled + copied, line + lineSize, 0.0f);

  // line[newest] is the latest sample taken in. Each output reads the
  // samples up to it; the inputs that follow the output are taken in after.
  int newest = kHistory - 1;
  if (!r.started) {
    ++newest;
    r.started = true;
  }
  const auto current = [&]() {
    const SpeechPhase& phase = r.phases[r.phase];
    return DotInput{line + newest - (phase.length - 1), r.polyphase + phase.start, phase.length};
  };
  const auto advance = [&]() {
    // A phase is consumed only while Q exceeds L, so Q ends in 1 ... L.
    r.phase += M;
    while (r.phase > L) {
      r.phase -= L;
      ++newest;
    }
  };
  for (int i = 0; i < kSpeechPassOutputs; i += 4) {
    DotInput group[4];
    for (DotInput& in : group) {
      in = current();
      advance();
    }
    DotProducts4<kWide>(group, output + i);
  }
  std::copy_n(line + newest + 1 - kHistory, kHistory, r.history);

  // The input samples taken; a single one left over is held for the next
  // pass.
  const int taken = newest + 1 - kHistory - (carried ? 1 : 0);
  if (carried && taken >= 0) r.carry = false;
  const int next = std::clamp(taken, 0, count);
  if (next == count - 1) {
    r.heldOver = input[next];
    r.carry = true;
  }
}

void ResamplePassBaseline(SpeechResampler& r, const float* input, int count, float* output) {
  ResamplePass<false>(r, input, count, output);
}

KALVO5_AVX2_TARGET void ResamplePassAvx2(SpeechResampler& r, const float* input, int count, float* output) {
  ResamplePass<true>(r, input, count, output);
}

}  // namespace

void ResampleSpeechPass(SpeechResampler& r, const float* input, int count, float* output) {
  if (r.path == SimdPath::Avx2Fma)
    ResamplePassAvx2(r, input, count, output);
  else
    ResamplePassBaseline(r, input, count, output);
}

}  // namespace kalvo5
