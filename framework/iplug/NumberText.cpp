#include "NumberText.h"

#include <charconv>
#include <cstring>

namespace iplug {

std::size_t FormatFixed(char* out, std::size_t capacity, double value, int decimals) {
  if (capacity == 0) return 0;
  // Wide enough for any double in fixed notation with up to 17 decimals.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, decimals);
  std::size_t length = result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - buffer) : 0;
  if (length >= capacity) length = capacity - 1;
  std::memcpy(out, buffer, length);
  out[length] = '\0';
  return length;
}

}  // namespace iplug
