#include "tools/BatchProgress.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tools/TextFormat.h"

namespace kalvo5::meter {

BatchProgress::BatchProgress(std::FILE* stream, bool enabled, std::size_t items, std::string label)
    : bar_(stream, enabled, std::move(label)),
      fractions_(items, 0.0),
      seconds_(items, 0.0),
      start_(std::chrono::steady_clock::now()) {}

void BatchProgress::Advance(std::size_t item, double fraction, double seconds) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (item >= fractions_.size()) return;
  fractions_[item] = std::clamp(fraction, 0.0, 1.0);
  seconds_[item] = seconds;
  Draw(false);
}

std::function<void(std::int64_t)> BatchProgress::FramesDone(std::size_t item, double sampleRate,
                                                            std::int64_t frames) {
  return [this, item, sampleRate, frames](std::int64_t done) {
    const auto n = static_cast<double>(done);
    Advance(item, frames > 0 ? n / static_cast<double>(frames) : 0.0, n / sampleRate);
  };
}

void BatchProgress::Finish(std::size_t item) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (item >= fractions_.size()) return;
  fractions_[item] = 1.0;
  ++finished_;
  Draw(true);
}

void BatchProgress::Clear() {
  const std::lock_guard<std::mutex> lock(mutex_);
  bar_.Clear();
}

void BatchProgress::Draw(bool now) {
  const double done = std::accumulate(fractions_.begin(), fractions_.end(), 0.0) /
                      static_cast<double>(std::max<std::size_t>(fractions_.size(), 1));
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::string detail = ClockTime(std::accumulate(seconds_.begin(), seconds_.end(), 0.0)) + " of audio";
  if (fractions_.size() > 1) {
    detail = std::to_string(finished_) + "/" + std::to_string(fractions_.size()) + " files, " + detail;
  }
  // The rest at the pace so far, once the pace means something.
  if (done > 0.0 && done < 1.0 && elapsed >= 1.0)
    detail += ", about " + ClockTime(elapsed * (1.0 - done) / done) + " left";
  bar_.Update(done, detail, now);
}

}  // namespace kalvo5::meter
