#pragma once
// Marks drawn over the finished picture: the detected pitch curve, the loop
// markers and the play cursor.
#include <QPainter>

#include "view/RenderInputs.h"
#include "view/ViewGeometry.h"

namespace velmio {

// Joins the pitch of neighbouring frames with a 2-pixel line, white over the
// colour map and red over grey scale; jumps of six semitones or more and
// points outside the picture break the curve.
void DrawPitchCurve(QPainter& painter, const ViewGeometry& g, const RenderInputs& in);

// Red line at the loop start and blue line at the loop end, when inside the body.
void DrawLoopMarkers(QPainter& painter, const ViewGeometry& g, const RenderInputs& in);

// Yellow line at the cursor frame from the ruler down to the picture's
// bottom; not clipped to the body. painter draws in client coordinates.
// UI thread.
void DrawPlayCursor(QPainter& painter, const RenderInputs& in);

}  // namespace velmio
