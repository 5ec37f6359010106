// A passive text the plug-in rewrites: read-outs, units, channel labels and
// meter values. Transparent behind the text; never takes the mouse.
#pragma once

#include <string>

#include "framework/igraphics/ITextControl.h"

namespace kalvo5 {

class IVTextControlVt : public igraphics::ITextControl {
 public:
  IVTextControlVt(const igraphics::Rect& bounds, const igraphics::TextStyle& style, const std::string& text);

  // Redraws only when the text really changes.
  void SetLabelText(const std::string& text) override;
};

}  // namespace kalvo5
