// The title bar across the top of every page: the product logo, the field
// behind the preset name and a line saying what the page measures. The menu
// button, the preset arrows and the update light are controls of their own;
// their places stay plain.
#pragma once

#include <string>

#include "Canvas.h"

namespace artwork {

constexpr double kTitleBarHeight = 38.0;

void PaintTitleBar(Canvas& canvas, const std::string& pageDescription);

}  // namespace artwork
