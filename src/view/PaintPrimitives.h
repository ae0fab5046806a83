#pragma once
// Drawing primitives with the pixel rules the view is laid out by: boxes
// exclude their right and bottom edge, a line from a to b excludes b, and
// labels are drawn on an opaque box in the fixed-pitch Japanese face.
#include <QFont>
#include <QPainter>
#include <QString>

namespace velmio {

// The 8.8-point fixed-pitch Japanese label face. Needs a QGuiApplication.
QFont LabelFont();

// Fills x0 <= x < x1, y0 <= y < y1.
void FillBox(QPainter& painter, int x0, int y0, int x1, int y1, QRgb color);

// One-pixel line from (x0, y) toward (x1, y), x1 itself not drawn.
void DrawHLine(QPainter& painter, int x0, int x1, int y, QRgb color);

// One-pixel line from (x, y0) toward (x, y1), y1 itself not drawn.
void DrawVLine(QPainter& painter, int x, int y0, int y1, QRgb color);

// The first `count` characters of text with their top-left corner at (x, y),
// on a box of the background colour one character cell tall.
void DrawLabel(QPainter& painter, int x, int y, const QString& text, int count, QRgb textColor,
               QRgb background);

}  // namespace velmio
