// The push buttons and icons: reset, Match, the plug-in menu, the preset
// arrows, the corner grip and the update light. Frame 0 is the control at
// rest, frame 1 pressed, highlighted or lit.
#include <cmath>

#include "Artwork.h"
#include "Bevels.h"

namespace artwork {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr Colour kGlyph = Hex(0xb4b8be);

void Polygon(Canvas& canvas, std::initializer_list<std::pair<double, double>> points, const Colour& colour) {
  cairo_t* cr = canvas.Context();
  for (const auto& [x, y] : points) cairo_line_to(cr, x, y);
  cairo_close_path(cr);
  canvas.FillPath(colour);
}

void Ring(Canvas& canvas, double cx, double cy, double outer, double inner, const Colour& colour) {
  cairo_t* cr = canvas.Context();
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, outer, 0.0, 2.0 * kPi);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, cx, cy, inner, 2.0 * kPi, 0.0);
  canvas.FillPath(colour);
}

BitmapArt ResetButton() {
  return {"reset.png", 2, 64, 18, [](Canvas& canvas, int frame) {
            const bool pressed = frame == 1;
            RaisedFace(canvas, canvas.Bounds(), pressed ? FaceState::Pressed : FaceState::Normal);
            canvas.TextIn({Face::Bold, 8.5}, pressed ? palette::kBrand : palette::kStateOn, "RESET",
                          canvas.Bounds().Shifted(0.0, pressed ? kPressedShift : 0.0));
          }};
}

// A round button with a target: a ring around a dot, amber while held.
BitmapArt MatchButton() {
  return {"match.png", 2, 12, 12, [](Canvas& canvas, int frame) {
            const bool pressed = frame == 1;
            const double c = 6.0, shift = pressed ? kPressedShift : 0.0;
            canvas.FillCircle(c, c, 6.0, palette::kEdgeDark);
            cairo_pattern_t* face = cairo_pattern_create_linear(0.0, 0.5, 0.0, 11.5);
            const Colour top = pressed ? palette::kFacePressedTop : palette::kFaceTop;
            const Colour bottom = pressed ? palette::kFacePressedBottom : palette::kFaceBottom;
            cairo_pattern_add_color_stop_rgb(face, 0.0, top.r, top.g, top.b);
            cairo_pattern_add_color_stop_rgb(face, 1.0, bottom.r, bottom.g, bottom.b);
            cairo_arc(canvas.Context(), c, c, 5.5, 0.0, 2.0 * kPi);
            cairo_set_source(canvas.Context(), face);
            cairo_fill(canvas.Context());
            cairo_pattern_destroy(face);
            const Colour glyph = pressed ? palette::kBrand : kGlyph;
            Ring(canvas, c, c + shift, 3.5, 2.5, glyph);
            canvas.FillCircle(c, c + shift, 1.0, glyph);
          }};
}

// Three bars on a square button, amber when highlighted.
BitmapArt PluginMenuButton() {
  return {"pluginmenu.png", 2, 24, 24, [](Canvas& canvas, int frame) {
            const bool lit = frame == 1;
            RaisedFace(canvas, canvas.Bounds(), lit ? FaceState::Highlighted : FaceState::Normal, 4.0);
            for (double y : {7.0, 11.0, 15.0}) {
              canvas.Fill({7.0, y, 17.0, y + 2.0}, lit ? palette::kBrand : kGlyph, 0.5);
            }
          }};
}

// A triangle pointing left (direction -1) or right (+1).
BitmapArt PresetArrow(const char* fileName, int direction) {
  return {
      fileName, 2, 24, 24, [direction](Canvas& canvas, int frame) {
        const bool pressed = frame == 1;
        RaisedFace(canvas, canvas.Bounds(), pressed ? FaceState::Pressed : FaceState::Normal, 4.0);
        const double cx = 12.0 + 0.5 * direction, cy = 12.0 + (pressed ? kPressedShift : 0.0);
        const double tip = cx + 3.0 * direction, back = cx - 2.5 * direction;
        Polygon(canvas, {{back, cy - 4.5}, {tip, cy}, {back, cy + 4.5}}, pressed ? palette::kBrand : kGlyph);
      }};
}

// Six dots in the lower right corner, the usual sign for a drag handle.
BitmapArt ResizeGrip() {
  return {"button_resize.png", 2, 16, 16, [](Canvas& canvas, int frame) {
            const Colour dot = frame == 1 ? palette::kBrand : Hex(0x767b83);
            for (int row = 0; row < 3; ++row) {
              for (int column = 2 - row; column < 3; ++column) {
                const double x = 5.0 + 3.5 * column, y = 5.0 + 3.5 * row;
                canvas.Fill({x + 0.5, y + 0.5, x + 2.0, y + 2.0}, palette::kEdgeDark);
                canvas.Fill({x, y, x + 1.5, y + 1.5}, dot);
              }
            }
          }};
}

// An arrow pointing up in a circle: a quiet outline, or a green lamp when a
// newer version is available.
BitmapArt UpdateLight() {
  return {"iconupdateavailable.png", 2, 12, 24, [](Canvas& canvas, int frame) {
            const double cx = 6.0, cy = 12.0;
            const bool lit = frame == 1;
            Colour arrow = Hex(0x4d5158);
            if (lit) {
              canvas.FillCircle(cx, cy, 6.0, WithAlpha(palette::kUpdateLit, 0.2));
              canvas.FillCircle(cx, cy, 5.0, palette::kUpdateLit);
              arrow = palette::kTitleBar;
            } else {
              Ring(canvas, cx, cy, 5.0, 4.0, arrow);
            }
            Polygon(canvas, {{cx, cy - 3.5}, {cx + 3.0, cy - 0.5}, {cx - 3.0, cy - 0.5}}, arrow);
            canvas.Fill({cx - 0.75, cy - 1.0, cx + 0.75, cy + 3.5}, arrow);
          }};
}

}  // namespace

std::vector<BitmapArt> ButtonArt() {
  return {
      ResetButton(),
      MatchButton(),
      PluginMenuButton(),
      PresetArrow("button_previous.png", -1),
      PresetArrow("button_next.png", 1),
      ResizeGrip(),
      UpdateLight(),
  };
}

}  // namespace artwork
