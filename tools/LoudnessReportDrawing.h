// Drawing a loudness report page with cairo. The page is laid out in points
// on an A4 landscape sheet; a surface of another size scales it.
#pragma once

#include <cairo.h>

#include "tools/LoudnessReportPage.h"

namespace kalvo5::meter {

inline constexpr double kReportPageWidth = 842.0;   // points
inline constexpr double kReportPageHeight = 595.0;  // points

// Draws `page` onto `cr` (in points, from the top left corner), white
// background included.
void DrawReportPage(cairo_t* cr, const ReportPage& page);

}  // namespace kalvo5::meter
