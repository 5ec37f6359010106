#include "IGraphicsTypes.h"

namespace igraphics {

graphics::TextFormat TextStyle::ToFormat() const {
  graphics::TextFormat format;
  format.fontId = font.substr(0, kMaxFontIdLength);
  format.size = size;
  format.color = color.ToRgba();
  format.hAlign = align == HAlign::Near  ? graphics::HAlign::Near
                  : align == HAlign::Far ? graphics::HAlign::Far
                                         : graphics::HAlign::Center;
  format.vAlign = valign == VAlign::Top      ? graphics::VAlign::Top
                  : valign == VAlign::Bottom ? graphics::VAlign::Bottom
                                             : graphics::VAlign::Middle;
  format.angleDegrees = angle;
  return format;
}

}  // namespace igraphics
