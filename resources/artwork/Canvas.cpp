#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;

void SetSource(cairo_t* cr, const Colour& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

}  // namespace

Canvas::Canvas(int width, int height, int frames, const Typefaces& typefaces)
    : width_(width),
      height_(height),
      frames_(frames),
      typefaces_(typefaces),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * kStoredScale,
                                          height * frames * kStoredScale)),
      cr_(cairo_create(surface_)) {
  // Unhinted text: outlines keep their shapes, and the stored bitmap is
  // scaled again by the editor anyway.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
  BeginFrame(0);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::BeginFrame(int frame) {
  if (inFrame_) cairo_restore(cr_);
  cairo_save(cr_);
  inFrame_ = true;
  cairo_scale(cr_, kStoredScale, kStoredScale);
  cairo_translate(cr_, 0.0, static_cast<double>(height_ * std::clamp(frame, 0, frames_ - 1)));
  cairo_rectangle(cr_, 0.0, 0.0, width_, height_);
  cairo_clip(cr_);
}

void Canvas::RoundedPath(const Box& box, double radius) {
  const double r = std::min({radius, box.Width() / 2.0, box.Height() / 2.0});
  if (r <= 0.0) {
    cairo_rectangle(cr_, box.left, box.top, box.Width(), box.Height());
    return;
  }
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, box.right - r, box.top + r, r, -kPi / 2.0, 0.0);
  cairo_arc(cr_, box.right - r, box.bottom - r, r, 0.0, kPi / 2.0);
  cairo_arc(cr_, box.left + r, box.bottom - r, r, kPi / 2.0, kPi);
  cairo_arc(cr_, box.left + r, box.top + r, r, kPi, 1.5 * kPi);
  cairo_close_path(cr_);
}

void Canvas::Fill(const Box& box, const Colour& colour, double radius) {
  RoundedPath(box, radius);
  FillPath(colour);
}

void Canvas::FillVertical(const Box& box, const Colour& top, const Colour& bottom, double radius) {
  cairo_pattern_t* gradient = cairo_pattern_create_linear(0.0, box.top, 0.0, box.bottom);
  cairo_pattern_add_color_stop_rgba(gradient, 0.0, top.r, top.g, top.b, top.a);
  cairo_pattern_add_color_stop_rgba(gradient, 1.0, bottom.r, bottom.g, bottom.b, bottom.a);
  RoundedPath(box, radius);
  cairo_set_source(cr_, gradient);
  cairo_fill(cr_);
  cairo_pattern_destroy(gradient);
}

void Canvas::Outline(const Box& box, const Colour& colour, double thickness, double radius) {
  // The ring between two rounded rectangles, filled: its edges land exactly
  // where asked, unlike a stroke centred on a path.
  RoundedPath(box, radius);
  RoundedPath(box.Inset(thickness), std::max(0.0, radius - thickness));
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  FillPath(colour);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

void Canvas::FillCircle(double cx, double cy, double radius, const Colour& colour) {
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, cx, cy, radius, 0.0, 2.0 * kPi);
  FillPath(colour);
}

void Canvas::FillPath(const Colour& colour) {
  SetSource(cr_, colour);
  cairo_fill(cr_);
}

void Canvas::SelectFont(const Font& font) {
  cairo_set_font_face(cr_, typefaces_.Get(font.face));
  cairo_set_font_size(cr_, font.size);
}

double Canvas::TextWidth(const Font& font, const std::string& text) {
  SelectFont(font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr_, text.c_str(), &extents);
  return extents.x_advance;
}

double Canvas::CapHeight(const Font& font) {
  SelectFont(font);
  cairo_text_extents_t extents;
  cairo_text_extents(cr_, "H", &extents);
  return -extents.y_bearing;
}

Font Canvas::Fitted(Font font, const std::string& text, double maxWidth) {
  const double width = TextWidth(font, text);
  if (width > maxWidth && width > 0.0) font.size *= maxWidth / width;
  return font;
}

void Canvas::Text(const Font& font, const Colour& colour, const std::string& text, double x, double baseline,
                  Align align) {
  const double width = TextWidth(font, text);
  const double left = align == Align::Left ? x : align == Align::Centre ? x - width / 2.0 : x - width;
  cairo_move_to(cr_, left, baseline);
  SetSource(cr_, colour);
  cairo_show_text(cr_, text.c_str());
  cairo_new_path(cr_);
}

void Canvas::TextIn(const Font& font, const Colour& colour, const std::string& text, const Box& box,
                    Align align) {
  const double x = align == Align::Left ? box.left : align == Align::Centre ? box.CentreX() : box.right;
  Text(font, colour, text, x, box.CentreY() + CapHeight(font) / 2.0, align);
}

bool Canvas::WritePng(const std::string& path) {
  cairo_surface_flush(surface_);
  return cairo_status(cr_) == CAIRO_STATUS_SUCCESS &&
         cairo_surface_write_to_png(surface_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace artwork
