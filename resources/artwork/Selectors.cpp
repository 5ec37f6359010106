// Switches and selectors of the settings row, one frame per state with the
// state's text, and the field behind the value controls.
#include <string>
#include <vector>

#include "Artwork.h"
#include "Bevels.h"

namespace artwork {
namespace {

constexpr int kRowHeight = 18;
const Font kStateFont{Face::Bold, 8.5};

// The small downward triangle that marks a control opening a menu; returns
// the room left for the text.
Box MenuMark(Canvas& canvas, const Box& face) {
  const double right = face.right - 4.0, middle = face.CentreY();
  cairo_t* cr = canvas.Context();
  cairo_move_to(cr, right - 4.0, middle - 1.5);
  cairo_line_to(cr, right, middle - 1.5);
  cairo_line_to(cr, right - 2.0, middle + 1.5);
  cairo_close_path(cr);
  canvas.FillPath(palette::kStateOff);
  return {face.left + 2.0, face.top, right - 5.0, face.bottom};
}

void StateText(Canvas& canvas, const std::string& text, const Box& room, const Colour& colour) {
  canvas.TextIn(canvas.Fitted(kStateFont, text, room.Width()), colour, text, room);
}

// A selector: the current entry's text beside the menu mark.
BitmapArt Selector(const char* fileName, int width, std::vector<std::string> texts) {
  const int frames = static_cast<int>(texts.size());
  return {fileName, frames, width, kRowHeight, [texts = std::move(texts)](Canvas& canvas, int frame) {
            RaisedFace(canvas, canvas.Bounds(), FaceState::Normal);
            StateText(canvas, texts[static_cast<std::size_t>(frame)], MenuMark(canvas, canvas.Bounds()),
                      palette::kStateOn);
          }};
}

// The analyzer type: its name and a coloured line along the bottom of the
// face, green for RMS, amber for EBU, cyan for DIAL.
BitmapArt TypeSelector() {
  return {"pluginmode.png", 3, 32, kRowHeight, [](Canvas& canvas, int frame) {
            static const char* const kNames[] = {"RMS", "EBU", "DIAL"};
            static const Colour kAccents[] = {palette::kLampGreen, palette::kBrand, palette::kDialCyan};
            const Box bounds = canvas.Bounds();
            RaisedFace(canvas, bounds, FaceState::Normal);
            const Box room = MenuMark(canvas, bounds);
            StateText(canvas, kNames[frame], room.Shifted(0.5, -0.5), palette::kStateOn);
            canvas.Fill({bounds.left + 3.0, bounds.bottom - 3.0, bounds.right - 3.0, bounds.bottom - 2.0},
                        kAccents[frame], 0.5);
          }};
}

// Off and on, with a lamp left of the text.
BitmapArt OffOnSwitch() {
  return {"offon.png", 2, 32, kRowHeight, [](Canvas& canvas, int frame) {
            const bool on = frame == 1;
            const Box bounds = canvas.Bounds();
            RaisedFace(canvas, bounds, on ? FaceState::Pressed : FaceState::Normal);
            const double lampX = 7.0, lampY = bounds.CentreY();
            canvas.FillCircle(lampX, lampY, 2.5, palette::kEdgeDark);
            if (on) {
              canvas.FillCircle(lampX, lampY, 4.0, WithAlpha(palette::kLampGreen, 0.18));
              canvas.FillCircle(lampX, lampY, 2.0, palette::kLampGreen);
              canvas.FillCircle(lampX - 0.5, lampY - 0.5, 0.75, Hex(0xe6ffe9));
            } else {
              canvas.FillCircle(lampX, lampY, 2.0, Mix(palette::kEdgeDark, palette::kLampGreen, 0.22));
            }
            const Box room = {11.0, bounds.top, bounds.right - 2.0, bounds.bottom};
            StateText(canvas, on ? "ON" : "OFF", room.Shifted(0.0, on ? kPressedShift : 0.0),
                      on ? palette::kStateOn : palette::kStateOff);
          }};
}

BitmapArt ValueField() {
  return {"value.png", 1, 80, kRowHeight, [](Canvas& canvas, int) {
            RecessedField(canvas, canvas.Bounds(), palette::kFieldTop, palette::kFieldBottom, 3.0);
          }};
}

}  // namespace

std::vector<BitmapArt> SelectorArt() {
  const std::vector<std::string> loudnessChannels{"1.0", "2.0", "4.0", "4.1", "5.1"};
  return {
      TypeSelector(),
      OffOnSwitch(),
      Selector("rmschmode.png", 48, {"Stereo", "Left", "Right", "4 Ch.", "6 Ch."}),
      Selector("ebuchmode.png", 48, loudnessChannels),
      Selector("dialchmode.png", 48, loudnessChannels),
      Selector("rmsmode.png", 48, {"SUM", "AES17", "AVG"}),
      Selector("rmsfilter.png", 64, {"---", "BS1770", "Leq(A)", "Leq(B)", "Leq(C)", "Leq(M)", "Leq(A)+3"}),
      ValueField(),
  };
}

}  // namespace artwork
