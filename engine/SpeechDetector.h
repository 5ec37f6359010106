// Tells whether mono audio is speech: resampled to 16 kHz, cut into 64 ms
// frames, measured frame by frame, and every 8 frames (512 ms) scored by a
// fixed classifier of 20 decision stumps over seven features. The decision
// follows the sign of the sum of the latest four scores.
//
// Audio thread only; no lock of its own. All memory is obtained by
// InitSpeechDetector; DetectSpeech allocates nothing.
#pragma once

#include <cstddef>
#include <memory>

#include "HalfBandDecimator.h"
#include "SpeechFeatures.h"
#include "SpeechResampler.h"

namespace kalvo5 {

inline constexpr int kSpeechStumpCount = 20;
inline constexpr int kSpeechScoreCount = 4;
inline constexpr int kSpeechFramesPerEvaluation = 8;
// The first evaluation waits until 32 frames fill the histories.
inline constexpr int kSpeechFirstFrameCounter = -24;

// One decision stump: votes weight * polarity when feature >= threshold,
// its negative otherwise.
struct SpeechStump {
  int feature;
  float threshold;
  float polarity;
  float weight;
};

extern const SpeechStump kSpeechStumps[kSpeechStumpCount];

// The classifier's score for one set of features.
float ScoreSpeechFeatures(const float features[kSpeechFeatureCount]);

// The decision rule: speech (1) when the scores sum to 0 or more.
int DecideSpeech(const float scores[kSpeechScoreCount]);

struct SpeechDetector {
  bool created = false;  // false: DetectSpeech answers -1
  SpeechRoute route;     // how the input reaches 16 kHz
  int blockLength = 0;

  // One block for everything sized by the rate and block length: the
  // resampler's filter in polyphase order, the input ring and the pass
  // buffer; and the resampler's phase table.
  std::unique_ptr<float[]> storage;
  std::unique_ptr<SpeechPhase[]> phaseTable;
  float* polyphase = nullptr;
  float* inputRing = nullptr;  // samples in 16-bit units, at the resampler's rate
  int ringCapacity = 0;        // 2 max(blockLength halved as the route halves, inputNeeded)
  int ringRead = 0;
  int ringCount = 0;
  float* passBuffer = nullptr;  // inputNeeded samples, then the resampler's working line

  HalfBandDesign halfBand;
  HalfBandDecimator halvings[kSpeechMaxHalvings];  // the route's first `halvings` stages
  SpeechResampler resampler;
  float frame[kSpeechFrameLength] = {};
  SpeechFeatureState analysis;

  float scores[kSpeechScoreCount] = {};
  int scoreIndex = 0;
  float features[kSpeechFeatureCount] = {};  // of the latest evaluation
  int frameCounter = kSpeechFirstFrameCounter;
  int decision = -1;  // -1 before the first evaluation, then 1 speech or 0
};

// Puts the detector into its initial state for a sample rate (truncated; see
// FindSpeechRoute for the rates it takes) and calls of up to blockLength
// samples. Allocates and designs the filters only when the rate or block
// length differ from the previous call, so re-initialising for the same rate
// and block length (as a reset does) is allocation-free. Returns false,
// leaving the detector unusable, for a rate without a route or when memory
// cannot be obtained.
bool InitSpeechDetector(SpeechDetector& detector, double sampleRate, int blockLength);

// Takes count samples (full scale +-1), runs every complete pass they make
// available, and returns the latest decision: -1 (none yet), 0 or 1.
// Non-finite samples count as 0. Calls longer than blockLength are taken in
// pieces, with the same result as several shorter calls.
int DetectSpeech(SpeechDetector& detector, const float* samples, int count);

}  // namespace kalvo5
