#include "TextLayout.h"

#include <algorithm>
#include <limits>

namespace artwork {

CaptionLines SetCaption(Canvas& canvas, const Font& font, const std::string& text, double maxWidth) {
  if (canvas.TextWidth(font, text) <= maxWidth) return {font, {text}};

  // The split at a blank whose longer line is the shortest.
  double bestWidth = std::numeric_limits<double>::infinity();
  std::vector<std::string> best{text};
  for (std::size_t blank = text.find(' '); blank != std::string::npos; blank = text.find(' ', blank + 1)) {
    std::vector<std::string> lines{text.substr(0, blank), text.substr(blank + 1)};
    const double width = std::max(canvas.TextWidth(font, lines[0]), canvas.TextWidth(font, lines[1]));
    if (width < bestWidth) {
      bestWidth = width;
      best = std::move(lines);
    }
  }
  Font fitted = font;
  for (const std::string& line : best) fitted = canvas.Fitted(fitted, line, maxWidth);
  return {fitted, best};
}

}  // namespace artwork
