#include "Utf8.h"

namespace iplug {

namespace {

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : static_cast<unsigned char>(0);
  };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  // The range of the second byte depends on the lead; the others are 80…BF.
  unsigned char low = 0x80, high = 0xBF;
  std::size_t length = 0;
  if (InRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (InRange(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (InRange(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (!InRange(byte(1), low, high)) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!InRange(byte(i), 0x80, 0xBF)) return 0;
  return length;
}

}  // namespace iplug
