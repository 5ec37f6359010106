// A meter bar: the lit bitmap shown from the bottom up to the control's
// value (0 nothing, 1 the whole bar); the background shows above it.
#pragma once

#include "IBBitmapControlVt.h"

namespace kalvo5 {

class IBMeterControlVt : public IBBitmapControlVt {
 public:
  static constexpr int kTop = 112;  // every bar starts here

  // `y` is ignored: the bars share one top edge.
  IBMeterControlVt(int x, int y, const igraphics::Bitmap& bitmap);

  void Draw(igraphics::IGraphics& g) override;
};

}  // namespace kalvo5
