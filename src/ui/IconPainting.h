#pragma once
// What the toolbar icon painters share: the palette and closed outlines.
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <initializer_list>

namespace velmio::ui::icons {

inline const QColor kInk(0x30, 0x30, 0x30);
inline const QColor kBlue(0x1f, 0x5f, 0xbf);

// The closed outline through `corners`, in order.
inline QPainterPath ClosedPath(std::initializer_list<QPointF> corners) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& corner : corners) {
    if (first) {
      path.moveTo(corner);
      first = false;
    } else {
      path.lineTo(corner);
    }
  }
  path.closeSubpath();
  return path;
}

}  // namespace velmio::ui::icons
