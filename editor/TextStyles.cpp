#include "TextStyles.h"

#include <cstdlib>
#include <cstring>

namespace kalvo5 {

namespace {

constexpr const char* kVerdanaBold = "Verdana Bold";

igraphics::TextStyle Style(const char* font, float size, const char* color, igraphics::HAlign align) {
  igraphics::TextStyle style;
  style.font = font;
  style.size = size;
  style.color = ColorFromHex(color);
  style.align = align;
  style.valign = igraphics::VAlign::Middle;
  return style;
}

}  // namespace

igraphics::Color ColorFromHex(const char* hex) {
  if (!hex || hex[0] != '#' || std::strlen(hex) != 7) return igraphics::kColorBlack;
  char* end = nullptr;
  const unsigned long rgb = std::strtoul(hex + 1, &end, 16);
  if (*end != '\0') return igraphics::kColorBlack;
  return {255, static_cast<int>((rgb >> 16) & 0xff), static_cast<int>((rgb >> 8) & 0xff),
          static_cast<int>(rgb & 0xff)};
}

EditorTextStyles MakeEditorTextStyles() {
  using igraphics::HAlign;
  EditorTextStyles s;
  s.PresetMenuText = Style(kVerdanaBold, 16, "#b4b7bc", HAlign::Center);
  s.ParamValueText = Style(kVerdanaBold, 12, "#ffffe4", HAlign::Center);
  s.ReadoutText = Style(kVerdanaBold, 30, "#ffffe4", HAlign::Far);
  s.ReadoutSmallText = Style(kVerdanaBold, 22, "#ffffe4", HAlign::Far);
  s.DialReadoutText = Style("Repet Normal", 30, "#07daf8", HAlign::Far);
  s.DialReadoutSmallText = Style("Repet Normal", 22, "#07daf8", HAlign::Far);
  s.UnitText = Style(kVerdanaBold, 13, "#696759", HAlign::Far);
  s.DialUnitText = Style(kVerdanaBold, 13, "#dbd499", HAlign::Far);
  s.ChannelLabelText = Style(kVerdanaBold, 13, "#89857b", HAlign::Center);
  s.MeterValueText = Style("Verdana Normal", 10, "#89857b", HAlign::Far);
  return s;
}

}  // namespace kalvo5
