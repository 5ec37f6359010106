#include "support/EbuR128Oracle.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace kalvo5::test {

EbuR128Oracle::EbuR128Oracle(unsigned channels, unsigned long sampleRate, int mode)
    : state_(ebur128_init(channels, sampleRate, mode)), channels_(channels) {
  if (state_ == nullptr) throw std::runtime_error("ebur128_init failed");
}

EbuR128Oracle::~EbuR128Oracle() { ebur128_destroy(&state_); }

void EbuR128Oracle::UseFivePointOneLayout() {
  const int roles[6] = {EBUR128_LEFT,   EBUR128_RIGHT,         EBUR128_CENTER,
                        EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};
  for (unsigned c = 0; c < std::min(channels_, 6u); ++c) ebur128_set_channel(state_, c, roles[c]);
}

void EbuR128Oracle::SetChannels(const std::vector<int>& roles) {
  for (unsigned c = 0; c < std::min(channels_, static_cast<unsigned>(roles.size())); ++c)
    ebur128_set_channel(state_, c, roles[c]);
}

void EbuR128Oracle::Add(const double* frames, std::size_t frameCount) {
  ebur128_add_frames_double(state_, frames, frameCount);
}

void EbuR128Oracle::Add(const std::vector<double>& frames) { Add(frames.data(), frames.size() / channels_); }

double EbuR128Oracle::Integrated() const {
  double v = 0;
  ebur128_loudness_global(state_, &v);
  return v;
}

double EbuR128Oracle::Range() const {
  double v = 0;
  ebur128_loudness_range(state_, &v);
  return v;
}

double EbuR128Oracle::Momentary() const {
  double v = 0;
  ebur128_loudness_momentary(state_, &v);
  return v;
}

double EbuR128Oracle::ShortTerm() const {
  double v = 0;
  ebur128_loudness_shortterm(state_, &v);
  return v;
}

double EbuR128Oracle::TruePeakDb(unsigned channel) const {
  double v = 0;
  ebur128_true_peak(state_, channel, &v);
  return 20.0 * std::log10(v);
}

double EbuR128Oracle::MaxTruePeakDb() const {
  double best = -HUGE_VAL;
  for (unsigned c = 0; c < channels_; ++c) best = std::max(best, TruePeakDb(c));
  return best;
}

}  // namespace kalvo5::test
