// Key dispatch, and the translation of X11 keysyms into the Windows
// virtual-key codes the controls look at.
#include "IGraphicsKeys.h"
#include "IGraphics.h"

namespace igraphics {

bool IGraphics::OnKeyDown(float x, float y, const KeyPress& key) {
  IControl* control = GetMouseControl(x, y, false);
  if (control && control != ControlAt(0) && control->OnControlKeyDown(x, y, key)) return true;
  return mKeyHandler ? mKeyHandler(x, y, key, false) : false;
}

bool IGraphics::OnKeyUp(float x, float y, const KeyPress& key) {
  IControl* control = GetMouseControl(x, y, false);
  if (control && control != ControlAt(0) && control->OnControlKeyUp(x, y, key)) return true;
  return mKeyHandler ? mKeyHandler(x, y, key, true) : false;
}

int VirtualKeyForKeysym(std::uint32_t keysym) {
  struct Pair {
    std::uint32_t keysym;
    int vk;
  };
  static constexpr Pair kSpecial[] = {
      {0xFF08, 0x08}, {0xFF09, 0x09}, {0xFF0D, 0x0D}, {0xFF13, 0x13}, {0xFF1B, 0x1B}, {0xFFFF, 0x2E},
      {0xFF50, 0x24}, {0xFF51, 0x25}, {0xFF52, 0x26}, {0xFF53, 0x27}, {0xFF54, 0x28}, {0xFF55, 0x21},
      {0xFF56, 0x22}, {0xFF57, 0x23}, {0xFF63, 0x2D}, {0xFF8D, 0x0D}, {0xFF95, 0x24}, {0xFF96, 0x25},
      {0xFF97, 0x26}, {0xFF98, 0x27}, {0xFF99, 0x28}, {0xFF9A, 0x21}, {0xFF9B, 0x22}, {0xFF9C, 0x23},
      {0xFF9E, 0x2D}, {0xFF9F, 0x2E}, {0xFFAA, 0x6A}, {0xFFAB, 0x6B}, {0xFFAC, 0x6C}, {0xFFAD, 0x6D},
      {0xFFAE, 0x6E}, {0xFFAF, 0x6F}, {0xFFE1, 0x10}, {0xFFE2, 0x10}, {0xFFE3, 0x11}, {0xFFE4, 0x11},
      {0xFFE9, 0x12}, {0xFFEA, 0x12}, {0xFF7F, 0x90}, {0xFF14, 0x91},
  };
  for (const Pair& pair : kSpecial)
    if (pair.keysym == keysym) return pair.vk;
  if (keysym >= 0xFFB0 && keysym <= 0xFFB9) return 0x60 + static_cast<int>(keysym - 0xFFB0);  // keypad digits
  if (keysym >= 0xFFBE && keysym <= 0xFFC9) return 0x70 + static_cast<int>(keysym - 0xFFBE);  // F1 ... F12
  if (keysym >= 'a' && keysym <= 'z') return static_cast<int>(keysym - 'a') + 'A';
  if ((keysym >= 'A' && keysym <= 'Z') || (keysym >= '0' && keysym <= '9') || keysym == ' ')
    return static_cast<int>(keysym);
  if (keysym > 0x20 && keysym < 0x7F) {
    const int code = iplug::KeyCodeForCharacter(static_cast<char>(keysym));
    return code < 0 ? -1 : (code & 0xFF);
  }
  return 0;
}

KeyPress MakeKeyPressFromKeysym(std::uint32_t keysym, const std::string& text, bool shift, bool control,
                                bool alt) {
  KeyPress key;
  key.vk = VirtualKeyForKeysym(keysym);
  // Control characters are not text; keep printable text only.
  if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F &&
      text.size() < sizeof key.utf8)
    text.copy(key.utf8, text.size());
  key.shift = shift;
  key.control = control;
  key.alt = alt;
  return key;
}

}  // namespace igraphics
