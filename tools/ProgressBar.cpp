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

ProgressBar::~ProgressBar() {
  if (enabled_ && shown_ >= 0) {
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(label_.size()) + kWidth + 10, "");
    std::fflush(stream_);
  }
}

void ProgressBar::Update(double fraction) {
  if (!enabled_) return;
  const int percent = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100.0));
  const auto now = std::chrono::steady_clock::now();
  if (percent == shown_ || (percent < 100 && now - lastDraw_ < std::chrono::milliseconds(100))) return;
  shown_ = percent;
  lastDraw_ = now;
  const int filled = percent * kWidth / 100;
  std::fprintf(stream_, "\r%s [%s%s] %3d%%", label_.c_str(),
               std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kWidth - filled), '.').c_str(), percent);
  std::fflush(stream_);
}

bool ProgressBar::StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace kalvo5::meter
