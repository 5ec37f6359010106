// A growable byte buffer for state and preset data. Numbers are stored
// little-endian; every read checks the bounds and reports a short read as
// position -1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace iplug {

class ByteChunk {
 public:
  // Appends and returns the new size.
  int PutBytes(const void* data, int size);
  int PutInt32(std::int32_t value);
  int PutDouble(double value);
  int PutByte(std::uint8_t value);
  // Appends another chunk's bytes.
  int PutChunk(const ByteChunk& other);

  // Reads at startPos and returns the position after the value, or -1 when
  // startPos is negative or fewer bytes remain (the output is then untouched).
  int GetBytes(void* out, int size, int startPos) const;
  int GetInt32(std::int32_t& value, int startPos) const;
  int GetDouble(double& value, int startPos) const;
  int GetByte(std::uint8_t& value, int startPos) const;
  // An int32 length n, then n bytes (no terminator).
  int PutCountedString(const std::string& text);
  int GetCountedString(std::string& text, int startPos) const;

  void Resize(int size) { mBytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0u); }
  void Clear() { mBytes.clear(); }
  int Size() const { return static_cast<int>(mBytes.size()); }
  bool Empty() const { return mBytes.empty(); }
  const std::uint8_t* Data() const { return mBytes.data(); }
  std::uint8_t* Data() { return mBytes.data(); }

  bool operator==(const ByteChunk& other) const = default;

 private:
  bool Fits(int size, int startPos) const {
    return startPos >= 0 && size >= 0 && static_cast<std::int64_t>(startPos) + size <= Size();
  }

  std::vector<std::uint8_t> mBytes;
};

}  // namespace iplug
