// What a look at a compressed stream's own structure finds: the pages of an
// Ogg stream, the frames of an MPEG audio stream. A decoder passes over such
// damage (a page that fails its checksum, a file cut short) without a word,
// so the structure is checked apart from decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/ByteWindow.h"

namespace kalvo5::meter {

struct StreamCheck {
  // One sentence per fault, saying where: the byte offset and, where the
  // stream tells, the time.
  std::vector<std::string> faults;
  // The audio the stream itself announces, in seconds: an Ogg stream's last
  // granule position, an MP3's Xing frame count. None when it does not.
  std::optional<double> announcedSeconds;
};

// Checks an Ogg or MPEG audio file, told by its first bytes; nothing for
// other files. Reads the file once, in bounded blocks.
StreamCheck CheckStream(const ReadBytesAt& read, std::uint64_t size);

// Faults in the order found, up to a limit: a badly damaged file gives a few
// sentences and a count of the rest, not thousands of lines.
class FaultList {
 public:
  void Add(std::string sentence);
  bool Empty() const { return faults_.empty(); }
  // The faults, and a closing sentence counting those left out.
  std::vector<std::string> Take(const std::string& streamNoun);

 private:
  static constexpr std::size_t kLimit = 8;
  std::vector<std::string> faults_;
  std::size_t more_ = 0;
};

// " (after 5.730 s)", or nothing when the time is not known.
std::string AfterTime(const std::optional<double>& seconds);

}  // namespace kalvo5::meter
