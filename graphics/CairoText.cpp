// Text with cairo's text API on the registered FreeType faces. Layout uses
// the font's ascent and descent (not the ink of the letters), so a number
// stays on the same baseline whatever its digits.
#include <cmath>
#include <cstdint>

#include "CairoImage.h"
#include "CairoSurface.h"

namespace graphics {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct TextBox {
  double width = 0.0;  // advance of the whole text
  double ascent = 0.0;
  double descent = 0.0;
};

// Selects the format's face and size on cr; false when there is nothing to
// draw.
bool SelectFont(cairo_t* cr, const TextFormat& format, const std::string& text) {
  if (text.empty() || !(format.size > 0.0f)) return false;
  cairo_font_face_t* face = FindFontFace(format.fontId);
  if (face == nullptr) return false;
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, D(format.size));
  // Unhinted outlines and metrics: text keeps its proportions at every
  // editor scale instead of snapping to the pixel grid differently at each.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  return cairo_status(cr) == CAIRO_STATUS_SUCCESS;
}

// cairo refuses malformed UTF-8 and then refuses every later call on the
// context, so bytes that are not UTF-8 become U+FFFD first.
std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char lead = p[i];
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xe  ? 3
                         : (lead >> 3) == 0x1e ? 4
                                               : 0;
    bool ok = length > 0 && i + length <= n && lead != 0;
    std::uint32_t code = length == 1   ? lead
                         : length == 2 ? (lead & 0x1fu)
                         : length == 3 ? (lead & 0x0fu)
                                       : (lead & 0x07u);
    for (std::size_t k = 1; ok && k < length; ++k) {
      ok = (p[i + k] & 0xc0) == 0x80;
      code = (code << 6) | (p[i + k] & 0x3fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static const std::uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))) ok = false;
    if (ok) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

TextBox Measure(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t textExtents;
  cairo_font_extents_t fontExtents;
  cairo_text_extents(cr, text.c_str(), &textExtents);
  cairo_font_extents(cr, &fontExtents);
  return TextBox{textExtents.x_advance, fontExtents.ascent, fontExtents.descent};
}

}  // namespace

void CairoSurface::DrawText(const TextFormat& format, const std::string& text, const RectF& rect) {
  PathKeeper keep(mCr);
  cairo_save(mCr);
  const std::string valid = ValidUtf8(text);
  if (SelectFont(mCr, format, valid)) {
    const TextBox box = Measure(mCr, valid);
    const double left = D(rect.left), top = D(rect.top), w = D(rect.Width()), h = D(rect.Height());
    // Rotation turns the text about the rectangle's centre.
    if (format.angleDegrees != 0.0f) {
      cairo_translate(mCr, left + w / 2.0, top + h / 2.0);
      cairo_rotate(mCr, D(format.angleDegrees) * kPi / 180.0);
      cairo_translate(mCr, -(left + w / 2.0), -(top + h / 2.0));
    }
    double x = left;
    if (format.hAlign == HAlign::Center) x = left + (w - box.width) / 2.0;
    if (format.hAlign == HAlign::Far) x = left + w - box.width;
    double baseline = top + box.ascent;
    if (format.vAlign == VAlign::Middle) baseline = top + (h - box.ascent - box.descent) / 2.0 + box.ascent;
    if (format.vAlign == VAlign::Bottom) baseline = top + h - box.descent;
    const Rgba& c = format.color;
    cairo_set_source_rgba(mCr, c.r, c.g, c.b, c.a);
    cairo_move_to(mCr, x, baseline);
    cairo_show_text(mCr, valid.c_str());
  }
  cairo_restore(mCr);
  RecoverFromError();
}

RectF CairoSurface::MeasureText(const TextFormat& format, const std::string& text) {
  RectF result;
  PathKeeper keep(mCr);
  cairo_save(mCr);
  const std::string valid = ValidUtf8(text);
  if (SelectFont(mCr, format, valid)) {
    const TextBox box = Measure(mCr, valid);
    result.right = static_cast<float>(box.width);
    result.bottom = static_cast<float>(box.ascent + box.descent);
  }
  cairo_restore(mCr);
  RecoverFromError();
  return result;
}

}  // namespace graphics
