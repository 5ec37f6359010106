#include "DialogGate.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "LevelScale.h"

namespace kalvo5 {

namespace {

// A detector that has not decided after this many blocks never will; the
// count then stands for the longest delay the lines can hold.
constexpr int kMostStartupBlocks = kDialogDelayCapacity + 1;

// Feeds a freshly initialised detector blocks of silence until it decides.
int MeasureStartupBlocks(SpeechDetector& detector, const float* zeros, int blockLength) {
  int blocks = 0;
  while (blocks < kMostStartupBlocks) {
    ++blocks;
    if (DetectSpeech(detector, zeros, blockLength) >= 0) break;
  }
  return blocks;
}

void ClearDelay(BlockDelay& d) {
  std::fill(std::begin(d.values), std::end(d.values), 0.0);
  d.pos = 0;
}

}  // namespace

bool InitDialogGate(DialogGate& g, double fs, int blockLength) {
  g.enabled = false;
  g.blockLength = blockLength;
  g.startupBlocks = 0;
  g.delayA.length = 0;
  g.delayB.length = 0;
  if (blockLength < 1 || !InitSpeechDetector(g.detector, fs, blockLength)) return false;

  std::unique_ptr<float[]> zeros(new (std::nothrow) float[static_cast<std::size_t>(blockLength)]());
  if (zeros == nullptr) return false;
  g.startupBlocks = MeasureStartupBlocks(g.detector, zeros.get(), blockLength);
  // The delay in blocks, computed from samples as the block length and the
  // rate define a block (the same number at every rate).
  const auto rate = static_cast<std::int64_t>(fs);
  const auto delay = static_cast<std::int64_t>(blockLength) * g.startupBlocks / (rate / 10);
  g.delayA.length = g.delayB.length = static_cast<int>(std::min<std::int64_t>(delay, kDialogDelayCapacity));

  g.enabled = true;
  ResetDialogGate(g);
  return true;
}

void ResetDialogGate(DialogGate& g) {
  g.speechSum = 0.0;
  g.mean = 0.0;
  g.totalBlocks = 0;
  g.speechBlocks = 0;
  ClearDelay(g.delayA);
  ClearDelay(g.delayB);
  if (g.enabled) InitSpeechDetector(g.detector, g.detector.route.sampleRate, g.blockLength);
}

DialogGateBlock GateDialogBlock(DialogGate& g, double momentary, double window, const float* samples) {
  DialogGateBlock result;
  if (!g.enabled) return result;
  const double m = PushBlockDelay(g.delayA, momentary);
  // Quiet blocks never reach the detector. The momentary values of the first
  // three blocks after a reset, measured while the 400 ms window still
  // filled, meet at most the detector's first three calls, which fall in its
  // start-up (21 blocks) and decide nothing: they never enter the average.
  if (MeanSquareToLoudness(m) >= g.gateLevel && DetectSpeech(g.detector, samples, g.blockLength) == 1) {
    result.speech = true;
    ++g.speechBlocks;
    g.speechSum += m;
    g.mean = g.speechSum / static_cast<double>(g.speechBlocks);
  }
  ++g.totalBlocks;
  result.windowValue = PushBlockDelay(g.delayB, window);
  return result;
}

}  // namespace kalvo5
