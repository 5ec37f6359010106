// A file's bytes read through a window of a fixed size, so that a walk over a
// file of any length (chunk headers, Ogg pages, MPEG audio frames) holds one
// block in memory and reads each block once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace kalvo5::meter {

// Reads up to `count` bytes at `offset`; the number read.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, void* out, std::size_t count)>;

class ByteWindow {
 public:
  // `read` must outlive the window.
  ByteWindow(const ReadBytesAt& read, std::uint64_t size, std::size_t windowBytes);

  std::uint64_t Size() const { return size_; }
  std::size_t WindowBytes() const { return block_.size(); }

  // `count` bytes (at most WindowBytes()) at `offset`; null when the file
  // ends first or cannot be read. Valid until the next call.
  const std::uint8_t* At(std::uint64_t offset, std::size_t count);

  // Where `pattern` next occurs at or after `from`; none before the end.
  std::optional<std::uint64_t> Find(std::uint64_t from, std::string_view pattern);

 private:
  const ReadBytesAt& read_;
  std::uint64_t size_;
  std::vector<std::uint8_t> block_;
  std::uint64_t start_ = 0;
  std::size_t filled_ = 0;
};

}  // namespace kalvo5::meter
