// What is wrong with the audio a measurement read: samples that are no
// numbers, data that stopped decoding, a file that ends before its header
// says, an Ogg or MP3 stream whose pages or frames are damaged. Such a
// measurement covers only what could be read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/AudioSource.h"

namespace kalvo5::meter {

class DamageCheck {
 public:
  // Counts the non-finite samples (NaN, infinities) among the first
  // `frames` of each channel just read.
  void Samples(const std::vector<std::vector<double>>& channels, std::int64_t frames);
  // The source could not be read past `frames` frames.
  void ReadFailed(const std::string& reason, std::int64_t frames);

  std::int64_t NonFiniteSamples() const { return nonFinite_; }

  // One sentence per fault, for a source of which `framesRead` frames were
  // read in all; empty when the audio is sound.
  std::vector<std::string> Findings(const AudioSource& source, std::int64_t framesRead) const;

 private:
  std::int64_t nonFinite_ = 0;
  bool readFailed_ = false;
  std::string reason_;
  std::int64_t failedAt_ = 0;
};

}  // namespace kalvo5::meter
