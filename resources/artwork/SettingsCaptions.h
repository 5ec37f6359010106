// The panel behind the settings row (controls at y 69 ... 87) and the
// caption over each of its controls.
#pragma once

#include <vector>

#include "Canvas.h"

namespace artwork {

struct ColumnCaption {
  const char* text;
  double left, right;  // the control's horizontal extent
};

// The captions every page shares: type, sync, automation, channels, gain,
// reference level and offset.
const std::vector<ColumnCaption>& SharedSettingsCaptions();

void PaintSettingsPanel(Canvas& canvas, const std::vector<ColumnCaption>& captions);

}  // namespace artwork
