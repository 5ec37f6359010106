#include "KeyTranslation.h"

#include <cstring>

namespace iplug {

namespace {

constexpr int kShiftState = 0x100;

// Punctuation on the US layout: the unshifted and the shifted character of
// each key, and its code.
struct PunctuationKey {
  char plain;
  char shifted;
  int code;
};
constexpr PunctuationKey kPunctuation[] = {
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

int KeyCodeForCharacter(char character) {
  const auto c = static_cast<unsigned char>(character);
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 'A' && c <= 'Z') return c | kShiftState;
  if (c >= '0' && c <= '9') return c;
  if (c == ' ') return 0x20;
  if (c == '\t') return 0x09;
  if (c == '\r' || c == '\n') return 0x0D;
  if (c == '\b') return 0x08;
  if (c == 0x1B) return 0x1B;
  for (int digit = 0; digit < 10; ++digit) {
    if (kShiftedDigits[digit] == character) return ('0' + digit) | kShiftState;
  }
  for (const PunctuationKey& key : kPunctuation) {
    if (key.plain == character) return key.code;
    if (key.shifted == character) return key.code | kShiftState;
  }
  return -1;
}

}  // namespace iplug
