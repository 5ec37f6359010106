#include "BlockPacing.h"

#include <cmath>

namespace kalvo5 {

namespace {

constexpr double kPeriodMs = 50.0;
constexpr double kMeterRefreshMs = 50.0;
constexpr double kReadoutRefreshMs = 100.0;

std::int64_t PeriodFrames(double ms, double sampleRate) {
  const double frames = std::trunc(ms * 0.001 * sampleRate);
  return frames >= 1.0 ? static_cast<std::int64_t>(frames) : 1;
}

}  // namespace

bool BlockPacing::Counter::Advance(std::int64_t frames) {
  count += frames;
  if (count < period) return false;
  count %= period;
  return true;
}

void BlockPacing::Restart(double sampleRate) {
  mPeriod = {PeriodFrames(kPeriodMs, sampleRate), 0};
  mMeters = {PeriodFrames(kMeterRefreshMs, sampleRate), 0};
  mReadouts = {PeriodFrames(kReadoutRefreshMs, sampleRate), 0};
}

BlockPacing::Due BlockPacing::Advance(std::int64_t frames, bool editorOpen) {
  Due due;
  due.period = mPeriod.Advance(frames);
  if (editorOpen) {
    due.meters = mMeters.Advance(frames);
    due.readouts = mReadouts.Advance(frames);
  }
  return due;
}

}  // namespace kalvo5
