#include "SpeechFeatures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "FFT.h"
#include "SimdVector.h"

namespace kalvo5 {

namespace {

// Half-frames whose mean magnitude is below 10 (in 16-bit units, about
// -70 dBFS) carry no usable spectrum.
constexpr float kQuietHalfFrame = 5120.0f;
constexpr float kInitialPeak = 32768.0f;
// Least-squares slope of d against k = 0 ... 255: its denominator
// 256 sum k^2 - (sum k)^2, and sum k.
constexpr float kSlopeDenominator = 357908480.0f;
constexpr float kSumOfBins = 32640.0f;
// Spectral flux counts bins 7 ... 499 of 15.625 Hz: 109 Hz to 7.8 kHz.
constexpr int kFirstFluxBin = 7;
constexpr int kLastFluxBin = 499;

void FillWindow(float* w, int n) {
  for (int i = 0; i < n; ++i)
    w[i] = static_cast<float>(0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * (i + 0.5) / n));
}

template <int N>
float Sum(const SpeechRing<N>& ring) {
  float s = 0.0f;
  for (float v : ring.values) s += v;
  return s;
}

template <int N>
float Largest(const SpeechRing<N>& ring) {
  float m = ring.values[0];
  for (float v : ring.values) m = std::max(m, v);
  return m;
}

// Least-squares slope of the log power spectrum of one half-frame, or no
// slope (0) for a quiet half-frame, which also leaves peaks alone.
float SpectralSlope(SpeechFeatureState& s, const float* y) {
  float sumAbs = 0.0f;
  float sum = 0.0f;
  for (int n = 0; n < kSpeechHalfFrame; ++n) {
    sumAbs += std::fabs(y[n]);
    sum += y[n];
  }
  if (sumAbs < kQuietHalfFrame) return 0.0f;

  const float mean = sum / static_cast<float>(kSpeechHalfFrame);
  s.peaks.Push(std::max(1.0f, simd::LargestMagnitude(y, kSpeechHalfFrame)));
  // The initial peaks keep the normaliser at full scale or above until 16
  // loud half-frames have passed.
  const float norm = std::max(1.0f, Largest(s.peaks));
  for (int n = 0; n < kSpeechHalfFrame; ++n) {
    s.re[n] = (y[n] - mean) * s.window512[n] / norm;
    s.im[n] = 0.0f;
  }
  ComputeFFT(s.re, s.im, kSpeechHalfFrame);

  float sumKd = 0.0f;
  float sumD = 0.0f;
  for (int k = 0; k < kSpeechHalfFrame / 2; ++k) {
    const float p = s.re[k] * s.re[k] + s.im[k] * s.im[k];
    const float d = p > 0.0f ? 10.0f * std::log10(p) : -120.0f;
    sumKd += static_cast<float>(k) * d;
    sumD += d;
  }
  return (256.0f * sumKd - kSumOfBins * sumD) / kSlopeDenominator;
}

void QuarterStatistics(SpeechFeatureState& s, const float* x) {
  for (int q = 0; q < 4; ++q) {
    const float* v = x + q * kSpeechQuarter;
    float sum = 0.0f;
    float sumSquares = 0.0f;
    for (int n = 0; n < kSpeechQuarter; ++n) {
      sum += v[n];
      sumSquares += v[n] * v[n];
    }
    const float mean = sum / static_cast<float>(kSpeechQuarter);
    float deviation = 0.0f;
    for (int n = 0; n < kSpeechQuarter; ++n) deviation += (v[n] - mean) * (v[n] - mean);
    s.energies.Push(sumSquares / static_cast<float>(kSpeechQuarter));
    s.variances.Push(deviation / static_cast<float>(kSpeechQuarter));
  }
}

// Change of the level-normalised magnitude spectrum since the previous frame.
float SpectralFlux(SpeechFeatureState& s, const float* x) {
  const float a = std::max(1.0f, simd::LargestMagnitude(x, kSpeechFrameLength));
  for (int n = 0; n < kSpeechFrameLength; ++n) {
    s.re[n] = x[n] / a * s.window1024[n];
    s.im[n] = 0.0f;
  }
  ComputeFFT(s.re, s.im, kSpeechFrameLength);

  constexpr int kBins = kSpeechFrameLength / 2;
  float energy = 0.0f;
  for (int k = 0; k < kBins; ++k) {
    const float mag = std::sqrt(s.re[k] * s.re[k] + s.im[k] * s.im[k]);
    s.re[k] = mag;
    energy += mag * mag + s.previousSpectrum[k] * s.previousSpectrum[k];
  }
  const float meanEnergy = energy / static_cast<float>(kSpeechFrameLength);
  const float rho = meanEnergy == 0.0f ? 1.0f : std::sqrt(meanEnergy);

  float flux = 0.0f;
  for (int k = 0; k < kBins; ++k) {
    const float diff = k >= kFirstFluxBin && k <= kLastFluxBin ? s.re[k] - s.previousSpectrum[k] : 0.0f;
    s.previousSpectrum[k] = s.re[k];
    flux += (diff / rho) * (diff / rho);
  }
  return flux;
}

// Sign changes per quarter; zero samples change nothing, and the sign state
// runs on across quarters and frames. Counted without branches, which the
// random signs of noisy frames would mispredict half the time.
void ZeroCrossings(SpeechFeatureState& s, const float* x) {
  int sign = s.sign;
  for (int q = 0; q < 4; ++q) {
    const float* v = x + q * kSpeechQuarter;
    int count = 0;
    for (int n = 0; n < kSpeechQuarter; ++n) {
      const int up = v[n] > 0.0f ? 1 : 0;
      const int down = v[n] < 0.0f ? 1 : 0;
      const int crossed = (sign & up) | ((sign ^ 1) & down);
      count += crossed;
      sign ^= crossed;
    }
    s.crossings.Push(static_cast<float>(count));
  }
  s.sign = sign;
}

// Autocorrelation of `count` values (zero-padded to 2 count, so no wrap-around)
// by two FFTs: afterwards re[l] holds 2 count times the autocorrelation at lag l.
void Autocorrelate(SpeechFeatureState& s, int count) {
  const int n = 2 * count;
  for (int i = count; i < n; ++i) s.re[i] = 0.0f;
  for (int i = 0; i < n; ++i) s.im[i] = 0.0f;
  ComputeFFT(s.re, s.im, n);
  for (int i = 0; i < n; ++i) {
    s.re[i] = s.re[i] * s.re[i] + s.im[i] * s.im[i];
    s.im[i] = 0.0f;
  }
  ComputeFFT(s.re, s.im, n);
}

float SlopeSkew(const SpeechFeatureState& s) {
  const float mean = Sum(s.slopes) / 64.0f;
  float m3 = 0.0f;
  for (float v : s.slopes.values) m3 += (v - mean) * (v - mean) * (v - mean);
  m3 /= 64.0f;
  return std::fabs(m3) > 0.0f ? std::log(std::fabs(m3)) : 0.0f;
}

// Periodicity of the quarter-frame energy over the latest 256 quarters (4 s):
// the highest autocorrelation at lags of 0.48 s to 4.08 s relative to lag 0.
float EnergyPeriodicity(SpeechFeatureState& s) {
  constexpr int kQuarters = 256;
  constexpr int kNewPerEvaluation = 32;
  for (int i = 0; i < 128; ++i) {
    s.re[i] = s.energyHistory[i];
    s.re[128 + i] = s.energies.Oldest(i);
  }
  float sum = 0.0f;
  for (int i = 0; i < kQuarters; ++i) sum += s.re[i];
  const float mean = sum / static_cast<float>(kQuarters);
  for (int i = 0; i < kQuarters; ++i) s.re[i] -= mean;

  // Keep the history just ahead of the ring's content at the next
  // evaluation, when 32 more quarters will have arrived.
  for (int i = 0; i < 128 - kNewPerEvaluation; ++i)
    s.energyHistory[i] = s.energyHistory[i + kNewPerEvaluation];
  for (int i = 0; i < kNewPerEvaluation; ++i)
    s.energyHistory[128 - kNewPerEvaluation + i] = s.energies.Oldest(i);

  Autocorrelate(s, kQuarters);
  float r = 0.0f;
  for (int lag = 30; lag < kQuarters; ++lag) r = std::max(r, s.re[lag]);
  return s.re[0] > 0.0f ? r / s.re[0] : 0.0f;
}

float EnergyDips(const SpeechFeatureState& s) {
  const float mean = Sum(s.energies) / 128.0f;
  const float* e = s.energies.values;
  int dips = 0;
  for (int i = 1; i < 128; ++i)
    if (4.0f * e[i] < mean && mean < 4.0f * e[i - 1]) ++dips;
  return static_cast<float>(dips);
}

// Periodicity of the quarter-frame variance (0.16 s to 2.03 s), its
// autocorrelation smoothed over the two previous evaluations.
float VariancePeriodicity(SpeechFeatureState& s) {
  constexpr int kQuarters = 128;
  const float mean = Sum(s.variances) / static_cast<float>(kQuarters);
  if (mean <= 0.0f) return 0.0f;
  float total = 0.0f;
  for (float v : s.variances.values) total += v / mean;
  const float offset = total / static_cast<float>(kQuarters);
  for (int i = 0; i < kQuarters; ++i) s.re[i] = s.variances.Oldest(i) / mean - offset;

  Autocorrelate(s, kQuarters);
  float* latest = s.previousCorrelations[0];
  float* earlier = s.previousCorrelations[1];
  float smoothed[kQuarters];
  for (int lag = 0; lag < kQuarters; ++lag) {
    smoothed[lag] = s.re[lag] + 0.5f * latest[lag] + 0.25f * earlier[lag];
    earlier[lag] = latest[lag];
    latest[lag] = s.re[lag];
  }
  float r = 0.0f;
  for (int lag = 10; lag < kQuarters; ++lag) r = std::max(r, smoothed[lag]);
  return smoothed[0] != 0.0f ? r / smoothed[0] : 0.0f;
}

float MeanFlux(const SpeechFeatureState& s) {
  const float m = Sum(s.fluxes) / 32.0f;
  return m > 0.0f ? std::log(m) : 0.0f;
}

float CrossingMedianRatio(const SpeechFeatureState& s) {
  float sorted[128];
  std::copy(std::begin(s.crossings.values), std::end(s.crossings.values), sorted);
  std::sort(sorted, sorted + 128, std::greater<float>());
  const float mean = Sum(s.crossings) / 128.0f;
  return mean != 0.0f ? (sorted[63] + sorted[64]) * 0.5f / mean : 0.0f;
}

float CrossingSkewness(const SpeechFeatureState& s) {
  const float mean = Sum(s.crossings) / 128.0f;
  float m2 = 0.0f;
  float m3 = 0.0f;
  for (float c : s.crossings.values) {
    const float d = c - mean;
    m2 += d * d;
    m3 += d * d * d;
  }
  m2 /= 128.0f;
  m3 /= 128.0f;
  return std::fabs(m3) > 0.0f && m2 > 0.0f ? m3 / (m2 * std::sqrt(m2)) : 0.0f;
}

}  // namespace

void InitSpeechFeatures(SpeechFeatureState& state) {
  PrepareFFT();
  FillWindow(state.window512, kSpeechHalfFrame);
  FillWindow(state.window1024, kSpeechFrameLength);
  ClearSpeechFeatures(state);
}

void ClearSpeechFeatures(SpeechFeatureState& s) {
  s.slopes = {};
  s.peaks = {};
  for (float& v : s.peaks.values) v = kInitialPeak;
  s.energies = {};
  for (float& v : s.energyHistory) v = 0.0f;
  s.variances = {};
  for (auto& row : s.previousCorrelations)
    for (float& v : row) v = 0.0f;
  s.fluxes = {};
  for (float& v : s.previousSpectrum) v = 0.0f;
  s.crossings = {};
  s.sign = 0;
}

void AnalyseSpeechFrame(SpeechFeatureState& s, const float* frame) {
  s.slopes.Push(SpectralSlope(s, frame));
  s.slopes.Push(SpectralSlope(s, frame + kSpeechHalfFrame));
  QuarterStatistics(s, frame);
  s.fluxes.Push(SpectralFlux(s, frame));
  ZeroCrossings(s, frame);
}

void EvaluateSpeechFeatures(SpeechFeatureState& s, float features[kSpeechFeatureCount]) {
  features[kSlopeSkew] = SlopeSkew(s);
  features[kEnergyPeriodicity] = EnergyPeriodicity(s);
  features[kEnergyDips] = EnergyDips(s);
  features[kVariancePeriodicity] = VariancePeriodicity(s);
  features[kSpectralFlux] = MeanFlux(s);
  features[kCrossingMedianRatio] = CrossingMedianRatio(s);
  features[kCrossingSkewness] = CrossingSkewness(s);
}

}  // namespace kalvo5
