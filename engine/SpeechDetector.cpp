#include "SpeechDetector.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "SimdVector.h"

namespace kalvo5 {

const SpeechStump kSpeechStumps[kSpeechStumpCount] = {
    {kSpectralFlux, 5.694553852081299f, +1.0f, 1.1238069534301758f},
    {kCrossingSkewness, 1.4440699815750122f, +1.0f, 0.7656970024108887f},
    {kCrossingMedianRatio, 0.8448870182037354f, -1.0f, 0.4127010107040405f},
    {kSpectralFlux, 5.807881832122803f, +1.0f, 0.42656999826431274f},
    {kEnergyPeriodicity, 0.24544000625610352f, -1.0f, 0.45890799164772034f},
    {kVariancePeriodicity, 0.20092199742794037f, -1.0f, 0.32631000876426697f},
    {kVariancePeriodicity, 0.1961269974708557f, -1.0f, 0.2922869920730591f},
    {kSpectralFlux, 5.824250221252441f, +1.0f, 0.3066039979457855f},
    {kCrossingMedianRatio, 0.8625230193138123f, -1.0f, 0.262362003326416f},
    {kSlopeSkew, -10.88565731048584f, +1.0f, 0.14711999893188477f},
    {kEnergyDips, 6.04228401184082f, +1.0f, 0.0843140035867691f},
    {kSpectralFlux, 5.820880889892578f, +1.0f, 0.07792899757623672f},
    {kVariancePeriodicity, 0.19420300424098969f, -1.0f, 0.046505000442266464f},
    {kEnergyDips, 5.9747090339660645f, +1.0f, 0.10115300118923187f},
    {kSpectralFlux, 5.81880521774292f, +1.0f, 0.023984000086784363f},
    {kVariancePeriodicity, 0.1941480040550232f, -1.0f, 0.014321000315248966f},
    {kCrossingMedianRatio, 0.8669229745864868f, -1.0f, 0.045336998999118805f},
    {kVariancePeriodicity, 0.19492100179195404f, -1.0f, 0.02233400009572506f},
    {kSpectralFlux, 5.820067882537842f, +1.0f, 0.015776999294757843f},
    {kCrossingMedianRatio, 0.8680660128593445f, -1.0f, 0.019120000302791595f},
};

namespace {

// Samples arrive at full scale +-1 and are held in 16-bit units.
constexpr float kSampleScale = 32768.0f;
// A pass that never reaches one 16-bit step is digital silence.
constexpr float kSilenceStep = 1.0f;
// Inputs beyond +-1e6 (120 dB over full scale) are clipped there so that the
// scaled samples, their squares and spectra stay finite.
constexpr float kLargestInput = 1.0e6f;
// Block lengths beyond this are taken in pieces anyway; it bounds the ring.
constexpr int kLargestBlockLength = 1 << 22;
// Samples scaled (and halved) at a time, on the stack.
constexpr int kChunk = 1024;

using simd::Floats4;

// The detector's form of an input sample: clipped, in 16-bit units, and 0
// when not finite (v - v is 0 exactly for finite v).
template <typename V>
[[gnu::always_inline]] inline V ScaledInput(V v) {
  const V clipped = v < -kLargestInput ? -kLargestInput : (v > kLargestInput ? kLargestInput : v);
  return v - v == 0.0f ? clipped * kSampleScale : V{} + 0.0f;
}

// ScaledInput of samples[0 ... n-1] into out, four at a time.
void ScaleInputs(const float* samples, int n, float* out) {
  int i = 0;
  for (; i + 4 <= n; i += 4) simd::Store(out + i, ScaledInput(simd::Load<Floats4>(samples + i)));
  for (; i < n; ++i) out[i] = ScaledInput(samples[i]);
}

void Evaluate(SpeechDetector& d) {
  EvaluateSpeechFeatures(d.analysis, d.features);
  d.scores[d.scoreIndex] = ScoreSpeechFeatures(d.features);
  d.scoreIndex = (d.scoreIndex + 1) % kSpeechScoreCount;
  d.decision = DecideSpeech(d.scores);
}

// Runs every pass the input ring holds enough samples for.
void RunPasses(SpeechDetector& d) {
  for (;;) {
    const int need = SpeechResamplerNeed(d.resampler);
    if (d.ringCount < need) return;
    // The pass in at most two contiguous pieces of the ring.
    const int first = std::min(need, d.ringCapacity - d.ringRead);
    std::copy_n(d.inputRing + d.ringRead, first, d.passBuffer);
    std::copy_n(d.inputRing, need - first, d.passBuffer + first);
    d.ringRead = need - first > 0 ? need - first : d.ringRead + first;
    if (d.ringRead == d.ringCapacity) d.ringRead = 0;
    d.ringCount -= need;
    if (simd::LargestMagnitude(d.passBuffer, need) < kSilenceStep)
      std::fill(d.passBuffer, d.passBuffer + need, 0.0f);

    ResampleSpeechPass(d.resampler, d.passBuffer, need, d.frame);
    AnalyseSpeechFrame(d.analysis, d.frame);
    if (++d.frameCounter == kSpeechFramesPerEvaluation) {
      Evaluate(d);
      d.frameCounter = 0;
    }
  }
}

}  // namespace

float ScoreSpeechFeatures(const float features[kSpeechFeatureCount]) {
  float score = 0.0f;
  for (const SpeechStump& stump : kSpeechStumps) {
    const float vote = features[stump.feature] - stump.threshold < 0.0f ? -1.0f : 1.0f;
    score += stump.weight * stump.polarity * vote;
  }
  return score;
}

int DecideSpeech(const float scores[kSpeechScoreCount]) {
  float sum = 0.0f;
  for (int i = 0; i < kSpeechScoreCount; ++i) sum += scores[i];
  return sum >= 0.0f ? 1 : 0;
}

bool InitSpeechDetector(SpeechDetector& d, double sampleRate, int blockLength) {
  SpeechRoute route;
  blockLength = std::clamp(blockLength, 0, kLargestBlockLength);
  if (!FindSpeechRoute(sampleRate, route)) {
    d.created = false;
    return false;
  }

  if (!d.created || d.route.sampleRate != route.sampleRate || d.blockLength != blockLength) {
    const SpeechRate& rate = route.row;
    const int polyphaseSize = SpeechPolyphaseSize(rate);
    const int halvedBlock = (blockLength + (1 << route.halvings) - 1) >> route.halvings;
    const int capacity = 2 * std::max(halvedBlock, rate.inputNeeded);
    const std::size_t size = static_cast<std::size_t>(polyphaseSize) + static_cast<std::size_t>(capacity) +
                             static_cast<std::size_t>(rate.inputNeeded) +
                             static_cast<std::size_t>(SpeechLineSize(rate.inputNeeded));
    d.created = false;
    d.storage.reset(new (std::nothrow) float[size]);
    d.phaseTable.reset(new (std::nothrow) SpeechPhase[static_cast<std::size_t>(SpeechPhaseTableSize(rate))]);
    // The filter is designed in natural order into a buffer needed only here.
    const std::unique_ptr<float[]> h(new (std::nothrow) float[static_cast<std::size_t>(rate.filter.taps)]);
    if (d.storage == nullptr || d.phaseTable == nullptr || h == nullptr) {
      d.storage.reset();
      d.phaseTable.reset();
      return false;
    }
    d.polyphase = d.storage.get();
    d.inputRing = d.polyphase + polyphaseSize;
    d.ringCapacity = capacity;
    d.passBuffer = d.inputRing + capacity;
    DesignResamplingFilter(rate.filter, h.get());
    ConfigureSpeechResampler(d.resampler, rate, h.get(), d.polyphase, d.phaseTable.get(),
                             d.passBuffer + rate.inputNeeded);
    d.halfBand = DesignHalfBand();
    InitSpeechFeatures(d.analysis);
    d.route = route;
    d.blockLength = blockLength;
    d.created = true;
  }

  std::fill(d.inputRing, d.inputRing + d.ringCapacity, 0.0f);
  std::fill(d.passBuffer, d.passBuffer + d.route.row.inputNeeded, 0.0f);
  d.ringRead = 0;
  d.ringCount = 0;
  for (HalfBandDecimator& stage : d.halvings) ResetHalfBand(stage);
  ResetSpeechResampler(d.resampler);
  std::fill(std::begin(d.frame), std::end(d.frame), 0.0f);
  ClearSpeechFeatures(d.analysis);
  std::fill(std::begin(d.scores), std::end(d.scores), 0.0f);
  d.scoreIndex = 0;
  std::fill(std::begin(d.features), std::end(d.features), 0.0f);
  d.frameCounter = kSpeechFirstFrameCounter;
  d.decision = -1;
  return true;
}

int DetectSpeech(SpeechDetector& d, const float* samples, int count) {
  if (!d.created) return -1;
  if (samples == nullptr) return d.decision;
  float chunk[kChunk];
  while (count > 0) {
    // Passes always leave fewer than inputNeeded samples, at most half the
    // ring, so every round makes room for at least that many.
    const int room = d.ringCapacity - d.ringCount;
    const int take = std::min({kChunk, room << d.route.halvings, count});
    int n = take;
    ScaleInputs(samples, take, chunk);
    for (int stage = 0; stage < d.route.halvings; ++stage)
      n = DecimateByTwo(d.halvings[stage], d.halfBand, chunk, n, chunk);
    const int write = (d.ringRead + d.ringCount) % d.ringCapacity;
    const int first = std::min(n, d.ringCapacity - write);
    std::copy_n(chunk, first, d.inputRing + write);
    std::copy_n(chunk + first, n - first, d.inputRing);
    d.ringCount += n;
    samples += take;
    count -= take;
    RunPasses(d);
  }
  return d.decision;
}

}  // namespace kalvo5
