#include "view/PaintPrimitives.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>

namespace velmio {

QFont LabelFont() {
  QFont font;
  font.setFamilies(QStringList{"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP"});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(8.8);
  return font;
}

void FillBox(QPainter& painter, int x0, int y0, int x1, int y1, QRgb color) {
  if (x1 <= x0 || y1 <= y0) return;
  painter.fillRect(x0, y0, x1 - x0, y1 - y0, QColor::fromRgb(color));
}

void DrawHLine(QPainter& painter, int x0, int x1, int y, QRgb color) {
  if (x1 >= x0) {
    FillBox(painter, x0, y, x1, y + 1, color);
  } else {
    FillBox(painter, x1 + 1, y, x0 + 1, y + 1, color);
  }
}

void DrawVLine(QPainter& painter, int x, int y0, int y1, QRgb color) {
  if (y1 >= y0) {
    FillBox(painter, x, y0, x + 1, y1, color);
  } else {
    FillBox(painter, x, y1 + 1, x + 1, y0 + 1, color);
  }
}

void DrawLabel(QPainter& painter, int x, int y, const QString& text, int count, QRgb textColor,
               QRgb background) {
  const QString shown = text.left(std::max(count, 0));
  if (shown.isEmpty()) return;
  const QFontMetricsF metrics(painter.font());
  // The box is one character cell, the face's pixel size: the rounded ascent
  // plus descent of some faces is a pixel taller and would cover the key line
  // under each octave label.
  int height = QFontInfo(painter.font()).pixelSize();
  if (height <= 0) height = qRound(metrics.height());
  const int width = qRound(metrics.horizontalAdvance(shown));
  FillBox(painter, x, y, x + width, y + height, background);
  painter.setPen(QColor::fromRgb(textColor));
  painter.drawText(QPointF(x, y + metrics.ascent()), shown);
}

}  // namespace velmio
