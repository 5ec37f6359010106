// The colours of the editor's artwork. The live texts the editor draws over
// it have fixed colours (cream read-outs, olive-grey units, warm-grey labels),
// so the surfaces behind them stay dark and nearly neutral.
#pragma once

#include <algorithm>
#include <cstdint>

namespace artwork {

// Components 0 ... 1, not premultiplied.
struct Colour {
  double r = 0.0, g = 0.0, b = 0.0, a = 1.0;
};

constexpr Colour Hex(std::uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xffu) / 255.0, ((rgb >> 8) & 0xffu) / 255.0, (rgb & 0xffu) / 255.0, alpha};
}

// t = 0 gives a, t = 1 gives b.
constexpr Colour Mix(const Colour& a, const Colour& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

constexpr Colour WithAlpha(const Colour& c, double alpha) { return {c.r, c.g, c.b, alpha}; }

// Brighter (factor > 1) or darker, each component limited to 1.
inline Colour Scaled(const Colour& c, double factor) {
  return {std::min(1.0, c.r * factor), std::min(1.0, c.g * factor), std::min(1.0, c.b * factor), c.a};
}

namespace palette {

// The page: a dark slate, a shade lighter at the top.
constexpr Colour kPageTop = Hex(0x2a2d32);
constexpr Colour kPageBottom = Hex(0x1d1f23);
constexpr Colour kTitleBar = Hex(0x141619);
constexpr Colour kEdgeDark = Hex(0x08090a);
constexpr Colour kEdgeLight = Hex(0x3a3e45);

// Panels and recessed fields.
constexpr Colour kPanel = Hex(0x23262b);
constexpr Colour kPanelBorder = Hex(0x121315);
constexpr Colour kWell = Hex(0x141619);
constexpr Colour kFieldTop = Hex(0x0b0c0e);
constexpr Colour kFieldBottom = Hex(0x121417);
constexpr Colour kTileTop = Hex(0x15171a);
constexpr Colour kTileBottom = Hex(0x0f1113);
constexpr Colour kDialTileTop = Hex(0x121920);
constexpr Colour kDialTileBottom = Hex(0x0c1115);

// Raised controls.
constexpr Colour kFaceTop = Hex(0x41454c);
constexpr Colour kFaceBottom = Hex(0x2c2f34);
constexpr Colour kFacePressedTop = Hex(0x1f2125);
constexpr Colour kFacePressedBottom = Hex(0x2a2d32);
constexpr Colour kFaceHighlight = Hex(0x5a5f67);

// Text.
constexpr Colour kLogo = Hex(0xecebe4);
constexpr Colour kCaption = Hex(0x9499a1);
constexpr Colour kTileCaption = Hex(0xa9adb4);
constexpr Colour kDialTileCaption = Hex(0x93b7c4);
constexpr Colour kDescriptor = Hex(0x80858d);
constexpr Colour kStateOff = Hex(0x8d9199);
constexpr Colour kStateOn = Hex(0xffffe4);
constexpr Colour kScaleNumber = Hex(0x8f939a);
constexpr Colour kScaleZero = Hex(0xe6e2d3);
constexpr Colour kScaleOver = Hex(0xd0685c);
constexpr Colour kTick = Hex(0x5d6168);

// Accents.
constexpr Colour kBrand = Hex(0xf2a93b);
constexpr Colour kLampGreen = Hex(0x58d36e);
constexpr Colour kDialCyan = Hex(0x07daf8);
constexpr Colour kClipRed = Hex(0xff3b2e);
constexpr Colour kClipRose = Hex(0xff3d6e);
constexpr Colour kUpdateLit = Hex(0x5fe08a);

}  // namespace palette
}  // namespace artwork
