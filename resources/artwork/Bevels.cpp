#include "Bevels.h"

namespace artwork {

void RaisedFace(Canvas& canvas, const Box& box, FaceState state, double radius) {
  using namespace palette;
  canvas.Fill(box, kEdgeDark, radius);
  const Box face = box.Inset(0.5);
  if (state == FaceState::Pressed) {
    canvas.FillVertical(face, kFacePressedTop, kFacePressedBottom, radius - 0.5);
    // Lit from below when sunk.
    canvas.Fill({face.left + radius, face.bottom - 0.5, face.right - radius, face.bottom}, kFaceBottom);
    return;
  }
  const double lift = state == FaceState::Highlighted ? 1.22 : 1.0;
  canvas.FillVertical(face, Scaled(kFaceTop, lift), Scaled(kFaceBottom, lift), radius - 0.5);
  canvas.Fill({face.left + radius - 0.5, face.top, face.right - radius + 0.5, face.top + 0.5},
              Scaled(kFaceHighlight, lift));
}

void RecessedField(Canvas& canvas, const Box& box, const Colour& top, const Colour& bottom, double radius) {
  using namespace palette;
  // The lit lower lip, then the dark rim, then the field itself.
  canvas.Fill(box, Mix(kEdgeLight, bottom, 0.35), radius);
  const Box rim = {box.left, box.top, box.right, box.bottom - 0.5};
  canvas.Fill(rim, kEdgeDark, radius);
  const Box field = {rim.left + 0.5, rim.top + 1.0, rim.right - 0.5, rim.bottom - 0.5};
  canvas.FillVertical(field, top, bottom, radius - 0.5);
}

void Panel(Canvas& canvas, const Box& box, const Colour& fill, double radius) {
  canvas.Fill(box, palette::kPanelBorder, radius);
  canvas.FillVertical(box.Inset(0.5), Scaled(fill, 1.06), fill, radius - 0.5);
}

}  // namespace artwork
