// How much audio data a file's header announces, against what the file
// holds, read from the header itself: RIFF and RIFX WAV, RF64 and BW64 (the
// 64-bit sizes of their ds64 chunk), Sony Wave64, AIFF and AIFC, Sun AU.
#pragma once

#include <cstdint>
#include <optional>

#include "tools/ByteWindow.h"

namespace kalvo5::meter {

struct DataExtent {
  std::uint64_t announced = 0;  // bytes of audio data the header announces
  std::uint64_t held = 0;       // bytes the file holds from the data's start on
  std::uint64_t Missing() const { return announced > held ? announced - held : 0; }
};

// The extent of the audio data of a file of `fileSize` bytes; none for other
// formats, or when the data chunk is not among the first 1024 chunks. The
// chunks are walked in file order, each header read once.
std::optional<DataExtent> FindDataExtent(const ReadBytesAt& read, std::uint64_t fileSize);

}  // namespace kalvo5::meter
