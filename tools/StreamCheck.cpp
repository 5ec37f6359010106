#include "tools/StreamCheck.h"

#include <array>

#include "tools/MpegFrameCheck.h"
#include "tools/OggPageCheck.h"
#include "tools/TextFormat.h"

namespace kalvo5::meter {

StreamCheck CheckStream(const ReadBytesAt& read, std::uint64_t size) {
  std::array<std::uint8_t, 4> head{};
  if (read(0, head.data(), head.size()) < head.size()) return {};
  if (head[0] == 'O' && head[1] == 'g' && head[2] == 'g' && head[3] == 'S') return CheckOggPages(read, size);
  const bool id3 = head[0] == 'I' && head[1] == 'D' && head[2] == '3';
  const bool frameSync = head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
  if (id3 || frameSync) return CheckMpegFrames(read, size);
  return {};
}

void FaultList::Add(std::string sentence) {
  if (faults_.size() < kLimit) {
    faults_.push_back(std::move(sentence));
  } else {
    ++more_;
  }
}

std::vector<std::string> FaultList::Take(const std::string& streamNoun) {
  if (more_ > 0) {
    faults_.push_back(std::to_string(more_) + " more fault" + (more_ == 1 ? "" : "s") + " in the " +
                      streamNoun + " after these");
  }
  more_ = 0;
  return std::move(faults_);
}

std::string AfterTime(const std::optional<double>& seconds) {
  return seconds ? " (after " + Fixed(*seconds, 3) + " s)" : "";
}

}  // namespace kalvo5::meter
