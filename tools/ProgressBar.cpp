#include "tools/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace kalvo5::meter {
namespace {

constexpr int kWidth = 30;

}  // namespace

ProgressBar::ProgressBar(std::FILE* stream, bool enabled, std::string label)
    : stream_(stream), enabled_(enabled && stream != nullptr), label_(std::move(label)) {
  // Keep the line short enough for narrow terminals.
  if (label_.size() > 40) label_ = "..." + label_.substr(label_.size() - 37);
}

ProgressBar::~ProgressBar() { Clear(); }

void ProgressBar::Clear() {
  if (!enabled_ || drawnWidth_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
  std::fflush(stream_);
  drawnWidth_ = 0;
}

void ProgressBar::Update(double fraction, const std::string& detail, bool now) {
  if (!enabled_) return;
  const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100.0));
  const auto time = std::chrono::steady_clock::now();
  if (percent == shown_ && detail == shownDetail_) return;
  if (!now && percent < 100 && time - lastDraw_ < std::chrono::milliseconds(100)) return;
  shown_ = percent;
  shownDetail_ = detail;
  lastDraw_ = time;
  const int filled = percent * kWidth / 100;
  const std::string line = label_ + " [" + std::string(static_cast<std::size_t>(filled), '#') +
                           std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
                           (percent < 10    ? "  "
                            : percent < 100 ? " "
                                            : "") +
                           std::to_string(percent) + "%" + (detail.empty() ? "" : "  " + detail);
  // Spaces over the rest of a longer line drawn before.
  const int pad = static_cast<int>(drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0);
  std::fprintf(stream_, "\r%s%*s", line.c_str(), pad, "");
  std::fflush(stream_);
  drawnWidth_ = std::max(drawnWidth_, line.size());
}

bool ProgressBar::StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace kalvo5::meter
