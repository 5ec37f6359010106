// The few surfaces every part of the artwork is built from: raised button
// faces, recessed fields and panels. One light source, from above.
#pragma once

#include "Canvas.h"

namespace artwork {

enum class FaceState { Normal, Highlighted, Pressed };

// A raised control face filling the box, with a dark rim and a lit top edge;
// pressed, it is sunk (darker, lit from below).
void RaisedFace(Canvas& canvas, const Box& box, FaceState state, double radius = 3.0);

// A field sunk into the surface: dark, shaded at the top, lit bottom edge.
void RecessedField(Canvas& canvas, const Box& box, const Colour& top, const Colour& bottom,
                   double radius = 3.0);

// A flat panel a shade off the page, with a thin rim.
void Panel(Canvas& canvas, const Box& box, const Colour& fill, double radius = 4.0);

// Where a pressed face moves its content: half a unit down.
constexpr double kPressedShift = 0.5;

}  // namespace artwork
