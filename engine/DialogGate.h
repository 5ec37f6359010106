// The dialogue gate of the DIAL analyzer: asks the speech detector about each
// 100 ms block whose momentary loudness reaches -70 LKFS, averages the
// momentary values of the blocks judged speech (the dialogue-gated loudness)
// and counts speech and all blocks.
//
// The detector's decisions lag the audio by its start-up delay; two delay
// lines of that many blocks hold back the momentary and window values so
// that each decision is paired with the values of the same audio.
#pragma once

#include <cstdint>

#include "SpeechDetector.h"

namespace kalvo5 {

inline constexpr int kDialogDelayCapacity = 128;

// A FIFO of up to 128 values, one per block: each push returns the value
// pushed `length` blocks earlier (0 while it fills), or the pushed value
// itself when the length is 0.
struct BlockDelay {
  double values[kDialogDelayCapacity] = {};
  int length = 0;
  int pos = 0;
};

inline double PushBlockDelay(BlockDelay& d, double v) {
  if (d.length == 0) return v;
  const double out = d.values[d.pos];
  d.values[d.pos] = v;
  d.pos = d.pos + 1 == d.length ? 0 : d.pos + 1;
  return out;
}

struct DialogGate {
  bool enabled = false;  // a rate the detector takes, and a working detector
  SpeechDetector detector;
  int blockLength = 0;

  double speechSum = 0.0;    // momentary values (mean squares) of every speech block since the reset
  double mean = 0.0;         // their mean; 0 before the first speech block
  double gateLevel = -70.0;  // LKFS a block's momentary loudness must reach
  std::int64_t totalBlocks = 0;
  std::int64_t speechBlocks = 0;  // also the number of values in speechSum

  int startupBlocks = 0;  // the detector's start-up delay as measured
  BlockDelay delayA;      // momentary values
  BlockDelay delayB;      // window values
};

// What one block gave: whether it was speech, and the window value that
// belongs to it (the one that left delayB).
struct DialogGateBlock {
  bool speech = false;
  double windowValue = 0.0;
};

// At least one speech block is stored.
inline bool HasValue(const DialogGate& gate) { return gate.speechBlocks > 0; }

// Creates the detector for the rate and block length (100 ms of samples),
// measures its start-up delay, sizes the delay lines and resets. Returns
// whether the gate is enabled: at every rate the detector takes (8 kHz and
// up; see FindSpeechRoute), and only when the memory could be obtained. Not
// for the audio thread.
bool InitDialogGate(DialogGate& gate, double sampleRate, int blockLength);

// Empties the average, the counters and the delay lines and restarts the
// detector. Allocation-free.
void ResetDialogGate(DialogGate& gate);

// One block: momentary and window are the block values (mean squares) of the
// momentary and the adjustable window; samples the block's mono downmix.
// Does nothing unless enabled. Audio thread; allocation-free.
DialogGateBlock GateDialogBlock(DialogGate& gate, double momentary, double window, const float* samples);

}  // namespace kalvo5
