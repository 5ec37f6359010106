#include "plugin/Utf8Text.h"

#include "framework/iplug/Utf8.h"

namespace kalvo5 {

std::string ValidUtf8(std::string_view text) {
  std::string valid;
  valid.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = iplug::Utf8SequenceLength(text, at);
    if (length == 0) {
      valid += iplug::kUtf8Replacement;
      ++at;
    } else {
      valid.append(text.substr(at, length));
      at += length;
    }
  }
  return valid;
}

}  // namespace kalvo5
