// One progress bar for a set of files measured at once, fed by every
// worker: the share of the work done, the files finished, the audio
// measured and the time left.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tools/ProgressBar.h"

namespace kalvo5::meter {

class BatchProgress {
 public:
  // `items` files to measure; `label` names them on the bar.
  BatchProgress(std::FILE* stream, bool enabled, std::size_t items, std::string label);

  // Item `item` has measured `fraction` (0 ... 1; 0 when its length is
  // unknown) of its audio, `seconds` of it. Any thread.
  void Advance(std::size_t item, double fraction, double seconds);
  // What a render of item `item` calls with the frames it measured so far,
  // for audio of `frames` frames (-1 when unknown) at `sampleRate`.
  std::function<void(std::int64_t)> FramesDone(std::size_t item, double sampleRate, std::int64_t frames);
  // Item `item` is finished, measured or not. Any thread.
  void Finish(std::size_t item);
  // Clears the bar's line, before the results are printed.
  void Clear();

 private:
  void Draw(bool now);  // with mutex_ held

  std::mutex mutex_;
  ProgressBar bar_;
  std::vector<double> fractions_, seconds_;
  std::size_t finished_ = 0;
  const std::chrono::steady_clock::time_point start_;
};

}  // namespace kalvo5::meter
