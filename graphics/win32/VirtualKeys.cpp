// Windows virtual keys as the X11 keysyms the editor's key translation
// takes (it turns them back into virtual keys, as on Linux).
#include <cstdint>

#include "Win32Window.h"

namespace graphics {

std::uint32_t KeysymForVirtualKey(unsigned virtualKey, char32_t character) {
  // A typed character is its own keysym: Latin-1 directly, the rest as
  // Unicode keysyms.
  if (character >= 0x20 && character <= 0x7e) return static_cast<std::uint32_t>(character);
  if (character >= 0xa0 && character <= 0xff) return static_cast<std::uint32_t>(character);
  if (character > 0xff && character <= 0x10ffff) return 0x01000000u | static_cast<std::uint32_t>(character);

  struct Pair {
    unsigned virtualKey;
    std::uint32_t keysym;
  };
  static constexpr Pair kKeys[] = {
      {0x08, 0xFF08}, {0x09, 0xFF09}, {0x0C, 0xFF0B}, {0x0D, 0xFF0D}, {0x13, 0xFF13}, {0x1B, 0xFF1B},
      {0x20, 0x0020}, {0x21, 0xFF55}, {0x22, 0xFF56}, {0x23, 0xFF57}, {0x24, 0xFF50}, {0x25, 0xFF51},
      {0x26, 0xFF52}, {0x27, 0xFF53}, {0x28, 0xFF54}, {0x29, 0xFF60}, {0x2A, 0xFF61}, {0x2D, 0xFF63},
      {0x2E, 0xFFFF}, {0x2F, 0xFF6A}, {0x6A, 0xFFAA}, {0x6B, 0xFFAB}, {0x6C, 0xFFAC}, {0x6D, 0xFFAD},
      {0x6E, 0xFFAE}, {0x6F, 0xFFAF}, {0x90, 0xFF7F}, {0x91, 0xFF14}, {0x10, 0xFFE1}, {0x11, 0xFFE3},
      {0x12, 0xFFE9}, {0xA0, 0xFFE1}, {0xA1, 0xFFE2}, {0xA2, 0xFFE3}, {0xA3, 0xFFE4}, {0xA4, 0xFFE9},
      {0xA5, 0xFFEA},
  };
  for (const Pair& pair : kKeys)
    if (pair.virtualKey == virtualKey) return pair.keysym;
  if (virtualKey >= 0x60 && virtualKey <= 0x69) return 0xFFB0 + (virtualKey - 0x60);  // keypad digits
  if (virtualKey >= 0x70 && virtualKey <= 0x7B) return 0xFFBE + (virtualKey - 0x70);  // F1 ... F12
  // Letters and digits without a character (Control held): the unshifted
  // key, as X11 reports it.
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  return 0;
}

}  // namespace graphics
