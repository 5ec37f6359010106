#include "tools/DamageCheck.h"

#include <algorithm>
#include <cmath>

#include "tools/TextFormat.h"

namespace kalvo5::meter {

namespace {

// x - x is 0 for a finite x and NaN otherwise; four independent sums let the
// compiler add in vectors, so sound audio costs little to check.
bool AllFinite(const double* x, std::size_t n) {
  double sums[4] = {};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    for (std::size_t k = 0; k < 4; ++k) sums[k] += x[i + k] - x[i + k];
  }
  for (; i < n; ++i) sums[0] += x[i] - x[i];
  return sums[0] + sums[1] + sums[2] + sums[3] == 0.0;
}

// Less than this is within what encoders trim at the ends of a stream.
constexpr double kLossWorthNaming = 0.05;

}  // namespace

void DamageCheck::Samples(const std::vector<std::vector<double>>& channels, std::int64_t frames) {
  const auto n = static_cast<std::size_t>(frames);
  for (const auto& channel : channels) {
    if (AllFinite(channel.data(), n)) continue;
    nonFinite_ += std::count_if(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(n),
                                [](double x) { return !std::isfinite(x); });
  }
}

void DamageCheck::ReadFailed(const std::string& reason, std::int64_t frames) {
  readFailed_ = true;
  reason_ = reason;
  failedAt_ = frames;
}

std::vector<std::string> DamageCheck::Findings(const AudioSource& source, std::int64_t framesRead) const {
  std::vector<std::string> findings;
  const auto seconds = [&](std::int64_t frames) {
    return Fixed(static_cast<double>(frames) / source.SampleRate(), 3) + " s";
  };
  if (readFailed_) {
    findings.push_back("the audio data cannot be decoded after " + seconds(failedAt_) + " (" +
                       (reason_.empty() ? "read error" : reason_) + "); the rest is not measured");
  }
  // A damaged compressed stream: what is wrong, and how much of the audio
  // it announces did not decode. Without damage, a shorter decode is the
  // estimate's error (a stream cut from a longer one keeps its last granule
  // position).
  const StreamCheck structure = source.StreamStructure();
  findings.insert(findings.end(), structure.faults.begin(), structure.faults.end());
  const double decoded = static_cast<double>(framesRead) / source.SampleRate();
  if ((readFailed_ || !structure.faults.empty()) && structure.announcedSeconds &&
      *structure.announcedSeconds - decoded >= kLossWorthNaming) {
    findings.push_back(Fixed(*structure.announcedSeconds - decoded, 3) +
                       " s of audio are lost: " + seconds(framesRead) + " of the " +
                       Fixed(*structure.announcedSeconds, 3) + " s the stream announces decode");
  }
  // An estimated length that differs from what decodes is no damage.
  if (source.LengthIsExact() && source.Frames() > framesRead) {
    findings.push_back("the file ends before its header says: " + std::to_string(framesRead) + " of " +
                       std::to_string(source.Frames()) + " frames (" + seconds(framesRead) + " of " +
                       seconds(source.Frames()) + ")");
  } else if (const std::uint64_t missing = source.MissingDataBytes(); missing > 0) {
    findings.push_back("the file ends before its header says (the header announces " +
                       std::to_string(missing) + " bytes of audio data more than the file holds)");
  }
  if (nonFinite_ > 0) {
    findings.push_back(std::to_string(nonFinite_) + " non-finite sample" + (nonFinite_ == 1 ? "" : "s") +
                       " (NaN or infinite) in the audio data");
  }
  return findings;
}

}  // namespace kalvo5::meter
