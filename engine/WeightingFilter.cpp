#include "WeightingFilter.h"

#include <initializer_list>

#include "LevelScale.h"

namespace kalvo5 {
namespace {

// Added to every stage's input and output to keep the state out of the
// denormal range on silence.
constexpr double kAntiDenormal = 1e-24;

struct TailRow {
  double shelf3Db;
  double shelf4Db;
  double lowPassHz;
  double lowPassQ;
};

// The shared high-frequency tail (S3 ... S5) of the A, B and C weightings:
// two shelves near Nyquist and a double-rate low-pass, tuned per rate band.
TailRow TailFor(double fs) {
  if (fs <= 44100.0) return {0.0, -1.2, 12400.0, 0.48};
  if (fs <= 48000.0) return {0.5, -1.0, 12600.0, 0.48};
  if (fs <= 96000.0) return {8.0, -3.0, 12400.0, 0.5};
  if (fs <= 192000.0) return {10.0, 2.0, 12400.0, 0.5};
  return {0.0, 0.0, 12400.0, 0.48};
}

void DesignTail(WeightingFilter& filter, double fs) {
  const TailRow row = TailFor(fs);
  const double band = fs * 0.083333;
  DesignSection(SectionType::HighShelf, row.shelf3Db, fs, filter.sections[3], fs * 0.5 - band, 0.5);
  DesignSection(SectionType::HighShelf, row.shelf4Db, fs, filter.sections[4], fs * 0.5 - band * 0.5, 0.5);
  DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, filter.sections[5], row.lowPassHz, row.lowPassQ);
}

void DesignLeqM(WeightingFilter& filter, double fs) {
  BiquadSection* s = filter.sections;
  if (fs <= 48000.0) {
    filter.offsetDb = 6.2;
    DesignSection(SectionType::BandPass, 0.0, fs, s[1], 7100.0, 0.5);
    DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, s[2], 10800.0, 0.82);
    DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, s[3], 10800.0, 0.82);
    DesignSection(SectionType::HighShelfAlt, -6.0, fs, s[4], 12300.0, 0.7);
    DesignSection(SectionType::HighShelf, 8.0, fs, s[5], 19000.0, 0.64);
    DesignSection(SectionType::HighShelfAlt, 0.4, fs, s[6], 16000.0, 0.7);
    return;
  }
  // Above 192 kHz the 96-192 kHz design serves as well: the curve lies far
  // below Nyquist there, and the meter must not go dead at such rates.
  const bool upTo96k = fs <= 96000.0;
  filter.offsetDb = 6.300000000000001;
  DesignSection(SectionType::BandPass, 0.0, fs, s[1], 7700.0, 0.5);
  DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, s[2], 10700.0, 0.8);
  DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, s[3], 10700.0, 0.8);
  DesignSection(SectionType::DoubleRateLowPass, 0.0, fs, s[4], 10700.0, 0.8);
  DesignSection(SectionType::HighShelf, upTo96k ? 24.0 : 12.0, fs, s[5], 30000.0, 0.7);
  DesignSection(SectionType::HighShelfAlt, upTo96k ? 0.0 : 1.0, fs, s[6], 15500.0, 0.7);
}

void SetActive(WeightingFilter& filter, std::initializer_list<int> order) {
  filter.activeCount = 0;
  for (int index : order) filter.activeSections[filter.activeCount++] = index;
}

// A double-rate section runs once on the sample and once on the zero that a
// two-times upsampling inserts after it; the second output, doubled, is kept.
double StepSection(BiquadSection& section, double x) {
  const double y = StepBiquad(section.coefficients, section.state, x, kAntiDenormal);
  if (section.type != SectionType::DoubleRateLowPass) return y;
  return 2.0 * StepBiquad(section.coefficients, section.state, kAntiDenormal, kAntiDenormal);
}

}  // namespace

void DesignWeighting(WeightingMode mode, double fs, WeightingFilter& filter) {
  filter.mode = mode;
  filter.offsetDb = 0.0;
  filter.activeCount = 0;
  BiquadSection* s = filter.sections;

  switch (mode) {
    case WeightingMode::BS1770:
      filter.offsetDb = -0.671;
      DesignKShelf(filter.kShelf, fs);
      DesignKHighPass(filter.kHighPass, fs);
      break;
    case WeightingMode::LeqA:
    case WeightingMode::LeqAPlus3:
      filter.offsetDb = mode == WeightingMode::LeqA ? 1.99 : 4.99;
      DesignSection(SectionType::LowShelf, 2.0, fs, s[0], 30.0, 0.6);
      DesignSection(SectionType::HighPass, 0.0, fs, s[1], 30.0, 0.4);
      DesignSection(SectionType::HighPass, 0.0, fs, s[2], 239.0, 0.29);
      DesignTail(filter, fs);
      SetActive(filter, {0, 1, 2, 3, 4, 5});
      break;
    case WeightingMode::LeqB:
      filter.offsetDb = 0.2;
      DesignSection(SectionType::HighPass, 0.0, fs, s[1], 74.0, 0.39);
      DesignTail(filter, fs);
      SetActive(filter, {1, 3, 4, 5});
      break;
    case WeightingMode::LeqC:
      filter.offsetDb = 0.1;
      DesignSection(SectionType::LowShelf, -4.0, fs, s[0], 10.0, 0.6);
      DesignSection(SectionType::HighPass, 0.0, fs, s[1], 15.0, 0.41);
      DesignTail(filter, fs);
      SetActive(filter, {0, 1, 3, 4, 5});
      break;
    case WeightingMode::LeqM:
      DesignLeqM(filter, fs);
      SetActive(filter, {1, 2, 3, 4, 5, 6});
      break;
    default:
      filter.mode = WeightingMode::None;
      break;
  }
  filter.gain = DbToGain(filter.offsetDb);
}

double ProcessWeighting(WeightingFilter& filter, double x) {
  if (filter.mode == WeightingMode::None) return x;

  double y = x + kAntiDenormal;
  if (filter.mode == WeightingMode::BS1770) {
    y = StepKWeighting(filter.kHighPass, y, kAntiDenormal) + kAntiDenormal;
    y = StepKWeighting(filter.kShelf, y, kAntiDenormal);
    return y * filter.gain;
  }
  for (int i = 0; i < filter.activeCount; ++i) {
    if (i > 0) y += kAntiDenormal;
    y = StepSection(filter.sections[filter.activeSections[i]], y);
  }
  return y * filter.gain;
}

void ResetWeighting(WeightingFilter& filter) {
  ResetKWeighting(filter.kShelf);
  ResetKWeighting(filter.kHighPass);
  for (BiquadSection& section : filter.sections) section.state = BiquadState{};
}

}  // namespace kalvo5
