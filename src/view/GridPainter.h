#pragma once
// Pitch grid (octave or frequency lines) and time grid (seconds or bars and
// beats) over the picture, with their labels.
#include <QPainter>

#include "view/RenderInputs.h"
#include "view/ViewGeometry.h"

namespace velmio {

constexpr QRgb kGridGreen = 0xff00ff00;      // RGB(0, 255, 0)
constexpr QRgb kGridDarkGreen = 0xff008000;  // RGB(0, 128, 0)

// Octave lines, or frequency lines with the 100Hz / 1kHz / 10kHz labels.
// Returns the pen colour left selected: the time grid in seconds keeps it.
// The painter's font is the label face.
QRgb DrawPitchGrid(QPainter& painter, const ViewGeometry& g, const RenderInputs& in);

// One line per second (labels "m:ss") or per beat (bars green and labelled
// with the bar number, other beats dark green). secondsPen is the colour of
// the seconds lines.
void DrawTimeGrid(QPainter& painter, const ViewGeometry& g, const RenderInputs& in,
                  QRgb secondsPen);

}  // namespace velmio
