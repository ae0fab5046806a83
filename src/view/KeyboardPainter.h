#pragma once
// The piano keyboard strip on the left, the white ruler on top, the grey
// bands of the hovered note and its harmonics, and the octave labels.
#include <QPainter>

#include "view/RenderInputs.h"
#include "view/ViewGeometry.h"

namespace velmio {

// White strip and ruler, keys (the hovered one red), the separator line.
void DrawKeyboard(QPainter& painter, const ViewGeometry& g);

// Band of the hovered note and, when shown, of its harmonics 2 ... n, across
// the body. Drawn before the body, whose colours are added onto them.
void DrawNoteBands(QPainter& painter, const ViewGeometry& g, const RenderInputs& in);

// Octave number on the C key at the bottom of every octave. The painter's
// font is the label face.
void DrawOctaveLabels(QPainter& painter, const ViewGeometry& g, const RenderInputs& in);

}  // namespace velmio
