#include "tools/ByteWindow.h"

#include <algorithm>

namespace kalvo5::meter {

ByteWindow::ByteWindow(const ReadBytesAt& read, std::uint64_t size, std::size_t windowBytes)
    : read_(read), size_(size), block_(windowBytes) {}

const std::uint8_t* ByteWindow::At(std::uint64_t offset, std::size_t count) {
  if (offset > size_ || count > size_ - offset || count > block_.size()) return nullptr;
  if (offset < start_ || offset + count > start_ + filled_) {
    start_ = offset;
    filled_ = read_(offset, block_.data(), block_.size());
    if (filled_ < count) return nullptr;
  }
  return block_.data() + (offset - start_);
}

std::optional<std::uint64_t> ByteWindow::Find(std::uint64_t from, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > block_.size()) return std::nullopt;
  // Successive views overlap by the pattern's length less one, so a match
  // across a view's end is found in the next.
  while (from < size_ && size_ - from >= pattern.size()) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(block_.size(), size_ - from));
    const std::uint8_t* bytes = At(from, count);
    if (bytes == nullptr) return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(bytes);
    const std::string_view view(begin, count);
    if (const std::size_t at = view.find(pattern); at != std::string_view::npos) return from + at;
    if (count < block_.size()) return std::nullopt;
    from += count - (pattern.size() - 1);
  }
  return std::nullopt;
}

}  // namespace kalvo5::meter
