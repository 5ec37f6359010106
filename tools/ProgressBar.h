// A one-line progress bar on a terminal, redrawn in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace kalvo5::meter {

class ProgressBar {
 public:
  // Draws on `stream` only when enabled; `label` names what is being done.
  ProgressBar(std::FILE* stream, bool enabled, std::string label);
  ~ProgressBar();  // clears the line

  // fraction in 0 ... 1, `detail` after the percentage; redraws at most
  // every 100 ms (unless `now`), and at 100 %, and only when something
  // shown changed.
  void Update(double fraction, const std::string& detail = {}, bool now = false);
  // Clears the line.
  void Clear();

  // Whether standard error is a terminal.
  static bool StderrIsTerminal();

 private:
  std::FILE* stream_;
  bool enabled_;
  std::string label_;
  int shown_ = -1;
  std::string shownDetail_;
  std::size_t drawnWidth_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kalvo5::meter
