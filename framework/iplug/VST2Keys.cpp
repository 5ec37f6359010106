#include "VST2Keys.h"

#include <array>

#include "vst2/VSTInterface.h"

namespace iplug {

namespace {

// Windows codes of the host's virtual keys 1 ... 57, indexed by the key.
constexpr std::array<std::uint8_t, 58> kVirtualKeyCodes = {
    0x00,                                                  // 0: a plain character
    0x08, 0x09, 0x0C, 0x0D, 0x13, 0x1B, 0x20,              // back, tab, clear, return, pause, escape, space
    0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x21, 0x22,  // next ... page down
    0x29, 0x2A, 0x0D, 0x2C, 0x2D, 0x2E, 0x2F,              // select, print, enter, snapshot ... help
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,              // numpad 0 ... 9
    0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,                                      // multiply ... divide
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1 ... F12
    0x90, 0x91, 0x10, 0x11, 0x12,  // numlock, scroll, shift, control, alt
    0x00,                          // equals: by character
};

}  // namespace

int WindowsKeyCode(std::int32_t character, std::int64_t virtualKey) {
  if (virtualKey == 0 || virtualKey == vst2::VKEY_EQUALS)
    return KeyCodeForCharacter(static_cast<char>(character));
  if (virtualKey < 0 || virtualKey >= static_cast<std::int64_t>(kVirtualKeyCodes.size())) return 0;
  return kVirtualKeyCodes[static_cast<std::size_t>(virtualKey)];
}

KeyPress MakeKeyPress(std::int32_t character, std::int64_t virtualKey, int modifiers) {
  KeyPress key;
  key.vk = WindowsKeyCode(character, virtualKey);
  // The character as UTF-8; nothing for values that are no character.
  const auto c = static_cast<std::uint32_t>(character);
  char* out = key.utf8;
  if (character <= 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
  } else if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  *out = '\0';
  key.shift = (modifiers & vst2::MODIFIER_SHIFT) != 0;
  key.control = (modifiers & vst2::MODIFIER_CONTROL) != 0;
  key.alt = (modifiers & vst2::MODIFIER_ALTERNATE) != 0;
  return key;
}

}  // namespace iplug
