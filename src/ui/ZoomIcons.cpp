// Icons of the zoom in time: a magnifier over a time line.
#include <QPainterPath>

#include "ui/IconPainting.h"
#include "ui/ToolbarIcons.h"

namespace velmio::ui::icons {
namespace {

enum class Mark { kPlus, kMinus, kOne };

void Magnifier(QPainter& p, Mark mark) {
  // The time line the glass looks at, with its ticks.
  p.setPen(QPen(Ink(), 1.0));
  p.drawLine(QPointF(1.5, 18.0), QPointF(18.5, 18.0));
  for (double x : {3.0, 7.0, 11.0, 15.0}) p.drawLine(QPointF(x, 16.2), QPointF(x, 18.0));
  p.setPen(QPen(Ink(), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(12.6, 11.6), QPointF(17.0, 15.0));
  p.setPen(QPen(Ink(), 1.2));
  p.setBrush(QColor(0xe8, 0xf0, 0xff));
  p.drawEllipse(QPointF(8.5, 7.5), 6.0, 6.0);
  p.setPen(QPen(kBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
  if (mark == Mark::kOne) {
    p.drawLine(QPointF(8.8, 4.6), QPointF(8.8, 10.4));
    p.drawLine(QPointF(7.2, 5.8), QPointF(8.8, 4.6));
    return;
  }
  p.drawLine(QPointF(5.6, 7.5), QPointF(11.4, 7.5));
  if (mark == Mark::kPlus) p.drawLine(QPointF(8.5, 4.6), QPointF(8.5, 10.4));
}

}  // namespace

void PaintZoomIn(QPainter& p) {
  Magnifier(p, Mark::kPlus);
}

void PaintZoomOut(QPainter& p) {
  Magnifier(p, Mark::kMinus);
}

void PaintZoomReset(QPainter& p) {
  Magnifier(p, Mark::kOne);
}

}  // namespace velmio::ui::icons
