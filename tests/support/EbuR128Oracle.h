// libebur128 as an independent oracle for loudness and true peak.
#pragma once

#include <cstddef>
#include <vector>

#include <ebur128.h>

namespace kalvo5::test {

class EbuR128Oracle {
 public:
  // mode: a combination of libebur128's EBUR128_MODE_* flags.
  EbuR128Oracle(unsigned channels, unsigned long sampleRate, int mode);
  ~EbuR128Oracle();
  EbuR128Oracle(const EbuR128Oracle&) = delete;
  EbuR128Oracle& operator=(const EbuR128Oracle&) = delete;

  // Channel roles of a 5.1 layout in our channel order (L R C LFE Ls Rs).
  void UseFivePointOneLayout();

  // Any layout: roles[c] is the EBUR128_* channel of channel c.
  void SetChannels(const std::vector<int>& roles);

  // Interleaved frames.
  void Add(const double* frames, std::size_t frameCount);
  void Add(const std::vector<double>& frames);

  double Integrated() const;
  double Range() const;
  double Momentary() const;
  double ShortTerm() const;
  double TruePeakDb(unsigned channel) const;
  double MaxTruePeakDb() const;

 private:
  ebur128_state* state_;
  unsigned channels_;
};

}  // namespace kalvo5::test
