// The frame around the XML text in a state chunk or preset slot: a RIFF
// block of type "VRCM" holding one "VRCS" record with the text. All integers
// are 32-bit little-endian; offsets are relative to the block's start:
//
//    0 "RIFF"   4 size A (bytes from offset 8 to the end of the block)
//    8 1       12 "VRCM"   16 "VRCS"
//   20 size B (bytes from offset 24 to the end of the text, before padding)
//   24 1       28 L        32 the text (L bytes, no terminator)
//   then one zero byte if size B is odd, and one more if size A (counted
//   after the first pad) is odd.
#pragma once

#include "framework/iplug/ByteChunk.h"

namespace kalvo5 {

// Appends the header up to the text's length field with placeholder sizes;
// returns the block's start. The caller then appends L and the text.
int BeginStateBlock(iplug::ByteChunk& chunk);

// Fills in both sizes and appends the pad bytes.
void EndStateBlock(iplug::ByteChunk& chunk, int blockStart);

struct StateBlock {
  // True when the header is ours: the text's length field is at textPosition.
  bool accepted = false;
  int textPosition = -1;
  // Not accepted: where reading stopped (the start when the block is not a
  // RIFF block at all). Accepted: the position just past the block, or -1
  // when size A is negative or the block runs past the end of the chunk.
  int next = -1;
};

// Reads the header of the block at `start`. A read past the end of the
// chunk counts as a mismatch.
StateBlock ReadStateBlock(const iplug::ByteChunk& chunk, int start);

}  // namespace kalvo5
