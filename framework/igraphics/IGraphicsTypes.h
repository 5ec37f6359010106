// The plain records the editor works with: rectangles in editor units,
// colours, text styles, blends, decoded bitmaps, mouse and key state.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "framework/iplug/KeyTranslation.h"
#include "graphics/Drawing.h"

namespace igraphics {

// Left, top, right, bottom in editor units (the draw scale maps them to
// pixels).
struct Rect {
  float L = 0.0f, T = 0.0f, R = 0.0f, B = 0.0f;

  Rect() = default;
  Rect(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  float W() const { return R - L; }
  float H() const { return B - T; }
  float MW() const { return 0.5f * (L + R); }
  float MH() const { return 0.5f * (T + B); }
  bool Empty() const { return L == 0.0f && T == 0.0f && R == 0.0f && B == 0.0f; }
  bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }
  // A box of w x h centred on this one.
  Rect CentredBox(float w, float h) const {
    return {MW() - 0.5f * w, MH() - 0.5f * h, MW() + 0.5f * w, MH() + 0.5f * h};
  }
  void Clamp(float& x, float& y) const {
    x = std::clamp(x, L, R);
    y = std::clamp(y, T, B);
  }
  graphics::RectF ToRectF() const { return {L, T, R, B}; }
  bool operator==(const Rect&) const = default;
};

// Alpha, red, green, blue, each 0 ... 255.
struct Color {
  int A = 255, R = 0, G = 0, B = 0;
  bool operator==(const Color&) const = default;
  graphics::Rgba ToRgba() const { return {R / 255.0, G / 255.0, B / 255.0, A / 255.0}; }
};

inline constexpr Color kColorBlack{255, 0, 0, 0};
inline constexpr Color kColorWhite{255, 255, 255, 255};
inline constexpr Color kColorGray{255, 128, 128, 128};
inline constexpr Color kColorTransparent{0, 0, 0, 0};

enum class HAlign { Near, Center, Far };
enum class VAlign { Top, Middle, Bottom };

inline constexpr std::size_t kMaxFontIdLength = 63;

struct TextStyle {
  std::string font = "Roboto-Regular";  // a font id, at most 63 characters
  float size = 14.0f;
  Color color = kColorBlack;
  Color entryBackground = kColorWhite;
  Color entryText = kColorBlack;
  float angle = 0.0f;
  HAlign align = HAlign::Center;
  VAlign valign = VAlign::Middle;

  graphics::TextFormat ToFormat() const;
};

struct Blend {
  int mode = 0;  // only the normal mode exists
  float weight = 1.0f;
};

// A decoded image with its frame layout; width and height in editor units
// (pixels divided by its scale).
struct Bitmap {
  std::shared_ptr<const graphics::Image> image;
  int W = 0, H = 0;
  int frames = 1;
  bool framesHorizontal = false;
  std::string name;
  int scale = 1;
  bool IsValid() const { return image != nullptr; }
};

struct MouseMods {
  bool L = false, R = false, S = false, C = false, A = false;
};

using KeyPress = iplug::KeyPress;

// Windows virtual-key codes the editor's key handling looks at.
namespace vk {
inline constexpr int kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kEscape = 0x1B, kSpace = 0x20;
inline constexpr int kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24;
inline constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kDelete = 0x2E;
inline constexpr int kNumpad0 = 0x60, kNumpad9 = 0x69, kDecimal = 0x6E;
}  // namespace vk

// Pointer shapes (SetMouseCursor).
enum Cursor {
  kCursorArrow = 0,
  kCursorIBeam,
  kCursorWait,
  kCursorCross,
  kCursorUpArrow,
  kCursorSizeNWSE,
  kCursorSizeNESW,
  kCursorSizeWE,
  kCursorSizeNS,
  kCursorMove,
  kCursorNo,
  kCursorHand,
  kCursorAppStarting,
  kCursorHelp
};

}  // namespace igraphics
