// What the speech detector measures on each 16 kHz frame, and the seven
// features it derives every eight frames. Single precision throughout.
#pragma once

namespace kalvo5 {

inline constexpr int kSpeechFrameLength = 1024;  // 64 ms at 16 kHz
inline constexpr int kSpeechHalfFrame = 512;
inline constexpr int kSpeechQuarter = 256;
inline constexpr int kSpeechFeatureCount = 7;

// Feature indices, in the classifier's numbering.
enum SpeechFeature : int {
  kSpectralFlux = 0,         // ln of the mean spectral flux of the latest 32 frames
  kSlopeSkew = 1,            // ln |third central moment| of the latest 64 spectral slopes
  kEnergyDips = 2,           // downward crossings of a quarter of the mean quarter-frame energy
  kCrossingSkewness = 3,     // skewness of the latest 128 zero-crossing counts
  kCrossingMedianRatio = 4,  // their median over their mean
  kVariancePeriodicity = 5,  // peak of the smoothed autocorrelation of quarter-frame variances
  kEnergyPeriodicity = 6,    // peak of the autocorrelation of quarter-frame energies
};

// A ring of N values: a push stores at index and advances it, wrapping at N,
// so the oldest value sits at index.
template <int N>
struct SpeechRing {
  float values[N] = {};
  int index = 0;

  void Push(float v) {
    values[index] = v;
    index = index + 1 == N ? 0 : index + 1;
  }
  // The i-th oldest value.
  float Oldest(int i) const { return values[(index + i) % N]; }
};

struct SpeechFeatureState {
  // Analysis windows, fixed at init: 0.54 - 0.46 cos(2 pi (n + 0.5) / N).
  float window512[kSpeechHalfFrame] = {};
  float window1024[kSpeechFrameLength] = {};

  SpeechRing<64> slopes;          // two per frame
  SpeechRing<16> peaks;           // half-frame peaks; start at 32768
  SpeechRing<128> energies;       // four per frame
  float energyHistory[128] = {};  // the 128 quarter energies before the ring's content, oldest first
  SpeechRing<128> variances;
  float previousCorrelations[2][128] = {};  // the raw variance autocorrelations, latest first
  SpeechRing<32> fluxes;
  float previousSpectrum[kSpeechHalfFrame] = {};
  SpeechRing<128> crossings;
  int sign = 0;  // 1 after a downward zero crossing, 0 after an upward one

  // FFT work space.
  float re[kSpeechFrameLength] = {};
  float im[kSpeechFrameLength] = {};
};

// Computes the windows and clears every history.
void InitSpeechFeatures(SpeechFeatureState& state);

// Clears every history to its initial value; the windows stay.
void ClearSpeechFeatures(SpeechFeatureState& state);

// Adds one frame of 1024 samples (16-bit units) to the histories.
void AnalyseSpeechFrame(SpeechFeatureState& state, const float* frame);

// Computes the seven features from the histories (and advances the ones the
// evaluation itself keeps: energyHistory and previousCorrelations).
void EvaluateSpeechFeatures(SpeechFeatureState& state, float features[kSpeechFeatureCount]);

}  // namespace kalvo5
