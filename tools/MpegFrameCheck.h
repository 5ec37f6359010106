// The frame structure of an MPEG audio file (MP3, and layers I and II): frame
// headers one after the other from the first to the last, without bytes
// between them that are no frame, the last one whole, and as many frames as a
// Xing, Info or VBRI header in the first frame announces. ID3 and APE tags
// before and after the frames are passed over.
#pragma once

#include <cstdint>

#include "tools/StreamCheck.h"

namespace kalvo5::meter {

// The faults of the MPEG audio file of `size` bytes `read` gives, and the
// length it announces (its Xing or VBRI frame count; else the frames it
// holds). Nothing for a file in which no run of frames is found.
StreamCheck CheckMpegFrames(const ReadBytesAt& read, std::uint64_t size);

}  // namespace kalvo5::meter
