// Bounded copies of texts into fixed-size character arrays.
#pragma once

#include <cstddef>
#include <cstring>

namespace iplug {

// Copies at most capacity - 1 bytes of src into dst and terminates it. A cut
// never splits a UTF-8 sequence. A null src gives an empty text.
inline void CopyText(char* dst, std::size_t capacity, const char* src) {
  if (capacity == 0) return;
  std::size_t n = src ? std::strlen(src) : 0;
  if (n >= capacity) {
    n = capacity - 1;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut sequence.
    while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80) --n;
  }
  if (n > 0) std::memcpy(dst, src, n);
  dst[n] = '\0';
}

template <std::size_t N>
void CopyText(char (&dst)[N], const char* src) {
  CopyText(dst, N, src);
}

}  // namespace iplug
