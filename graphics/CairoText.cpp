// Text with cairo's text API on the registered FreeType faces. Layout uses
// the font's ascent and descent (not the ink of the letters), so a number
// stays on the same baseline whatever its digits. Characters the face has no
// glyph for are drawn with an installed font that has one (FontFallback.h),
// in runs on the same baseline; text the face covers is drawn as one run,
// exactly as without any fallback.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "CairoImage.h"
#include "CairoSurface.h"
#include "FontFallback.h"

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

// A stretch of text drawn with one face: the format's own (null) or an
// installed font's.
struct Run {
  cairo_font_face_t* face = nullptr;
  std::string text;
};

// Control characters are not drawn: no font is searched for them.
bool Printable(char32_t code) { return code >= 0x20 && !(code >= 0x7f && code < 0xa0); }

// Valid UTF-8 text in runs by the face that has each character's glyph; cr
// has the format's face selected. A character no font has stays with the
// format's face (and shows its box).
std::vector<Run> RunsByFace(cairo_t* cr, const std::string& text) {
  std::u32string codes;
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    char32_t code = length == 1   ? lead
                    : length == 2 ? (lead & 0x1fu)
                    : length == 3 ? (lead & 0x0fu)
                                  : (lead & 0x07u);
    for (std::size_t k = 1; k < length; ++k)
      code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3fu);
    codes.push_back(code);
    starts.push_back(i);
    i += length;
  }
  starts.push_back(text.size());
  cairo_scaled_font_t* own = cairo_get_scaled_font(cr);
  const std::vector<bool> covered = GlyphCoverage(own, text, codes.size());
  std::vector<Run> runs;
  if (std::find(covered.begin(), covered.end(), false) == covered.end()) {
    runs.push_back(Run{nullptr, text});
    return runs;
  }
  bool boldAsked = false, bold = false;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    cairo_font_face_t* face = nullptr;
    if (!covered[i] && Printable(codes[i])) {
      if (!boldAsked) bold = IsBoldFace(own);
      boldAsked = true;
      face = FindFallbackFace(codes[i], bold);
    }
    if (runs.empty() || runs.back().face != face) runs.push_back(Run{face, {}});
    runs.back().text.append(text, starts[i], starts[i + 1] - starts[i]);
  }
  return runs;
}

// The runs' advance, and the ascent and descent of the format's face (which
// the layout keeps whatever the runs).
TextBox Measure(cairo_t* cr, const std::vector<Run>& runs) {
  cairo_font_face_t* own = cairo_get_font_face(cr);
  TextBox box;
  for (const Run& run : runs) {
    cairo_set_font_face(cr, run.face != nullptr ? run.face : own);
    cairo_text_extents_t textExtents;
    cairo_text_extents(cr, run.text.c_str(), &textExtents);
    box.width += textExtents.x_advance;
  }
  cairo_set_font_face(cr, own);
  cairo_font_extents_t fontExtents;
  cairo_font_extents(cr, &fontExtents);
  box.ascent = fontExtents.ascent;
  box.descent = fontExtents.descent;
  return box;
}

// Draws the runs one after another from the current point.
void Show(cairo_t* cr, const std::vector<Run>& runs) {
  cairo_font_face_t* own = cairo_get_font_face(cr);
  for (const Run& run : runs) {
    cairo_set_font_face(cr, run.face != nullptr ? run.face : own);
    cairo_show_text(cr, run.text.c_str());
  }
}

}  // namespace

void CairoSurface::DrawText(const TextFormat& format, const std::string& text, const RectF& rect) {
  PathKeeper keep(mCr);
  cairo_save(mCr);
  const std::string valid = ValidUtf8(text);
  if (SelectFont(mCr, format, valid)) {
    const std::vector<Run> runs = RunsByFace(mCr, valid);
    const TextBox box = Measure(mCr, runs);
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
    Show(mCr, runs);
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
    const TextBox box = Measure(mCr, RunsByFace(mCr, valid));
    result.right = static_cast<float>(box.width);
    result.bottom = static_cast<float>(box.ascent + box.descent);
  }
  cairo_restore(mCr);
  RecoverFromError();
  return result;
}

}  // namespace graphics
