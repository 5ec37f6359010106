#include "ByteChunk.h"

#include <bit>
#include <cstring>
#include <limits>

namespace iplug {

namespace {

void StoreLittleEndian(std::uint64_t bits, int byteCount, std::uint8_t* out) {
  for (int i = 0; i < byteCount; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::uint64_t LoadLittleEndian(const std::uint8_t* in, int byteCount) {
  std::uint64_t bits = 0;
  for (int i = 0; i < byteCount; ++i) bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  return bits;
}

}  // namespace

int ByteChunk::PutBytes(const void* data, int size) {
  if (size > 0 && data) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    mBytes.insert(mBytes.end(), bytes, bytes + size);
  }
  return Size();
}

int ByteChunk::PutInt32(std::int32_t value) {
  std::uint8_t bytes[4];
  StoreLittleEndian(static_cast<std::uint32_t>(value), 4, bytes);
  return PutBytes(bytes, 4);
}

int ByteChunk::PutDouble(double value) {
  std::uint8_t bytes[8];
  StoreLittleEndian(std::bit_cast<std::uint64_t>(value), 8, bytes);
  return PutBytes(bytes, 8);
}

int ByteChunk::PutByte(std::uint8_t value) { return PutBytes(&value, 1); }

int ByteChunk::PutChunk(const ByteChunk& other) {
  // Copy first: other may be this chunk.
  const std::vector<std::uint8_t> bytes = other.mBytes;
  return PutBytes(bytes.data(), static_cast<int>(bytes.size()));
}

int ByteChunk::GetBytes(void* out, int size, int startPos) const {
  if (!Fits(size, startPos)) return -1;
  if (size > 0) std::memcpy(out, mBytes.data() + startPos, static_cast<std::size_t>(size));
  return startPos + size;
}

int ByteChunk::GetInt32(std::int32_t& value, int startPos) const {
  if (!Fits(4, startPos)) return -1;
  value =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(LoadLittleEndian(mBytes.data() + startPos, 4)));
  return startPos + 4;
}

int ByteChunk::GetDouble(double& value, int startPos) const {
  if (!Fits(8, startPos)) return -1;
  value = std::bit_cast<double>(LoadLittleEndian(mBytes.data() + startPos, 8));
  return startPos + 8;
}

int ByteChunk::GetByte(std::uint8_t& value, int startPos) const {
  if (!Fits(1, startPos)) return -1;
  value = mBytes[static_cast<std::size_t>(startPos)];
  return startPos + 1;
}

int ByteChunk::PutCountedString(const std::string& text) {
  const auto length = text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())
                          ? std::numeric_limits<std::int32_t>::max()
                          : static_cast<std::int32_t>(text.size());
  PutInt32(length);
  return PutBytes(text.data(), length);
}

int ByteChunk::GetCountedString(std::string& text, int startPos) const {
  std::int32_t length = 0;
  const int pos = GetInt32(length, startPos);
  if (pos < 0 || !Fits(length, pos)) return -1;
  text.assign(reinterpret_cast<const char*>(mBytes.data()) + pos, static_cast<std::size_t>(length));
  return pos + length;
}

}  // namespace iplug
