// An invisible control bound to a parameter that has no visible control, so
// that the editor still follows the host's changes of it.
#pragma once

#include "framework/igraphics/IControl.h"

namespace kalvo5 {

class IVParameterControlHiddenVt : public igraphics::IControl {
 public:
  explicit IVParameterControlHiddenVt(int paramIdx) : igraphics::IControl({0, 0, 0, 0}, paramIdx) {}
  void Draw(igraphics::IGraphics&) override {}
};

}  // namespace kalvo5
