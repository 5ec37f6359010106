// Test material for the speech detector and the dialogue analyzer: speech
// synthesised with espeak-ng, the recorded voices that alsa-utils installs,
// and music-like signals made here. Speech is made at test time with the
// command-line tools; a missing tool is reported as an error, never skipped.
#pragma once

#include <string>
#include <vector>

namespace kalvo5::test {

struct Material {
  std::vector<float> samples;  // mono, full scale +-1
  std::string error;           // why there are no samples
};

// Several voices and speeds, each utterance followed by a pause of 0.3 to
// 0.7 s; about 25 s. Peak-normalised to -3 dBFS.
const Material& SynthesisedSpeech(int rate);

// The eight recorded channel announcements ("Front Left" ...), each followed
// by a pause of 0.3 s; about 14 s.
const Material& RecordedVoices(int rate);

// Music-like material without speech, 12 s each.
std::vector<float> SteadyTones(int rate);     // a held triad of sines
std::vector<float> RhythmicChords(int rate);  // plucked chords with harmonics at 120 beats per minute
std::vector<float> BroadbandNoise(int rate);  // white noise

// Per 100 ms block: 1 when the detector (or gate) judged it speech, 0 when
// not; the share of 1s among the blocks that got a decision.
double SpeechShare(const std::vector<int>& decisions);

}  // namespace kalvo5::test
