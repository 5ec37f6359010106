#include "HostText.h"

#include <cstring>
#include <string_view>

#include "Utf8.h"

namespace iplug {

void CopyHostText(char* dst, std::size_t capacity, const char* src) {
  if (!dst || capacity == 0) return;
  const std::string_view text = src ? src : "";
  std::size_t used = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    const std::string_view piece = length > 0 ? text.substr(at, length) : kUtf8Replacement;
    if (used + piece.size() > capacity - 1) break;
    std::memcpy(dst + used, piece.data(), piece.size());
    used += piece.size();
    at += length > 0 ? length : 1;
  }
  dst[used] = '\0';
}

}  // namespace iplug
