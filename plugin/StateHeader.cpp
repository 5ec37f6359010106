#include "plugin/StateHeader.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace kalvo5 {

namespace {

constexpr int kSizeAOffset = 4;
constexpr int kSizeBOffset = 20;
constexpr int kHeaderSize = 28;

void PutTag(iplug::ByteChunk& chunk, const char (&tag)[5]) { chunk.PutBytes(tag, 4); }

bool TagAt(const iplug::ByteChunk& chunk, int position, const char (&tag)[5]) {
  char bytes[4];
  return chunk.GetBytes(bytes, 4, position) >= 0 && std::memcmp(bytes, tag, 4) == 0;
}

// Reads an int32; a read past the end gives `fallback`.
std::int32_t Int32At(const iplug::ByteChunk& chunk, int position, std::int32_t fallback) {
  std::int32_t value = 0;
  return chunk.GetInt32(value, position) >= 0 ? value : fallback;
}

void PatchInt32(iplug::ByteChunk& chunk, int position, std::int64_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::uint8_t* at = chunk.Data() + position;
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

}  // namespace

int BeginStateBlock(iplug::ByteChunk& chunk) {
  const int start = chunk.Size();
  PutTag(chunk, "RIFF");
  chunk.PutInt32(0);  // size A
  chunk.PutInt32(1);
  PutTag(chunk, "VRCM");
  PutTag(chunk, "VRCS");
  chunk.PutInt32(0);  // size B
  chunk.PutInt32(1);
  return start;
}

void EndStateBlock(iplug::ByteChunk& chunk, int blockStart) {
  if (blockStart < 0 || chunk.Size() < blockStart + kHeaderSize) return;
  const std::int64_t sizeB = static_cast<std::int64_t>(chunk.Size()) - (blockStart + kSizeBOffset + 4);
  PatchInt32(chunk, blockStart + kSizeBOffset, sizeB);
  if (sizeB % 2 != 0) chunk.PutByte(0);
  const std::int64_t sizeA = static_cast<std::int64_t>(chunk.Size()) - (blockStart + kSizeAOffset + 4);
  PatchInt32(chunk, blockStart + kSizeAOffset, sizeA);
  if (sizeA % 2 != 0) chunk.PutByte(0);
}

StateBlock ReadStateBlock(const iplug::ByteChunk& chunk, int start) {
  StateBlock block;
  block.next = start;
  // (The last test keeps every position below computable in an int.)
  if (chunk.Empty() || !TagAt(chunk, start, "RIFF") || start > INT_MAX - kHeaderSize) return block;
  const std::int32_t sizeA = Int32At(chunk, start + 4, 0);
  block.next = start + 12;
  if (Int32At(chunk, start + 8, 0) != 1 || !TagAt(chunk, start + 12, "VRCM")) return block;
  block.next = start + 16;
  if (!TagAt(chunk, start + 16, "VRCS")) return block;
  block.next = start + kHeaderSize;
  if (Int32At(chunk, start + kSizeBOffset, 0) == 0 || Int32At(chunk, start + 24, 0) != 1) return block;

  block.accepted = true;
  block.textPosition = start + kHeaderSize;
  const std::int64_t end = static_cast<std::int64_t>(start) + 8 + sizeA + (sizeA % 2 != 0 ? 1 : 0);
  block.next = sizeA >= 0 && end <= chunk.Size() ? static_cast<int>(end) : -1;
  return block;
}

}  // namespace kalvo5
