#pragma once
// What the toolbar icon painters share: the palette and closed outlines.
#include <QColor>
#include <QGuiApplication>
#include <QPainterPath>
#include <QPalette>
#include <QPointF>
#include <initializer_list>

namespace velmio::ui::icons {

// Outlines and marks in the theme's button text colour: dark on a light
// desktop, light on a dark one, legible on both.
inline QColor Ink() {
  return QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText);
}
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
