// The editor's text styles: font, size, colour and alignment of every kind
// of text it draws.
#pragma once

#include "framework/igraphics/IGraphicsTypes.h"

namespace kalvo5 {

struct EditorTextStyles {
  igraphics::TextStyle PresetMenuText;
  igraphics::TextStyle ParamValueText;
  igraphics::TextStyle ReadoutText;
  igraphics::TextStyle ReadoutSmallText;
  igraphics::TextStyle DialReadoutText;
  igraphics::TextStyle DialReadoutSmallText;
  igraphics::TextStyle UnitText;
  igraphics::TextStyle DialUnitText;
  igraphics::TextStyle ChannelLabelText;
  igraphics::TextStyle MeterValueText;
};

EditorTextStyles MakeEditorTextStyles();

// A colour from "#rrggbb", fully opaque; black for anything else.
igraphics::Color ColorFromHex(const char* hex);

}  // namespace kalvo5
