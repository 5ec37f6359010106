// The page structure of an Ogg file (Vorbis, Opus or another codec): each
// page's capture pattern, version, flags and checksum; per logical stream,
// page numbers without gaps, granule positions that neither go back nor run
// ahead of the audio their packets hold, and a last page marked as the end of
// the stream.
#pragma once

#include <cstdint>

#include "tools/StreamCheck.h"

namespace kalvo5::meter {

// The faults of the Ogg file of `size` bytes `read` gives, and the length its
// first Vorbis or Opus stream announces (its last granule position).
StreamCheck CheckOggPages(const ReadBytesAt& read, std::uint64_t size);

}  // namespace kalvo5::meter
