// Icons of the file, report, help and settings commands.
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "ui/IconPainting.h"
#include "ui/ToolbarIcons.h"

namespace velmio::ui::icons {
namespace {

const QColor kFolderFill(0xf2, 0xc1, 0x4e);
const QColor kFolderEdge(0x9a, 0x6b, 0x12);

// An open folder filling the lower part of the box; the badge goes on top.
void Folder(QPainter& p) {
  p.setPen(QPen(kFolderEdge, 1));
  p.setBrush(kFolderFill.darker(115));
  const QPainterPath back =
      ClosedPath({{1.5, 5.5}, {7, 5.5}, {8.5, 7}, {16.5, 7}, {16.5, 17.5}, {1.5, 17.5}});
  p.drawPath(back);
  p.setBrush(kFolderFill);
  const QPainterPath front = ClosedPath({{1.5, 17.5}, {4, 10.5}, {19, 10.5}, {16.5, 17.5}});
  p.drawPath(front);
}

// A white card in the top right with a thin frame, for the folder badges.
void Card(QPainter& p, const QRectF& r) {
  p.setPen(QPen(Ink(), 0.8));
  p.setBrush(Qt::white);
  p.drawRect(r);
}

}  // namespace

void PaintFileOpen(QPainter& p) {
  Folder(p);
  Card(p, QRectF(9.5, 0.5, 10, 8));
  p.setPen(QPen(kBlue, 1.1));
  QPainterPath wave;
  wave.moveTo(10.5, 4.5);
  for (int i = 1; i <= 16; ++i) {
    const double x = 10.5 + i * 0.5;
    wave.lineTo(x, 4.5 - std::sin(i * 0.9) * (i % 3 == 0 ? 1.2 : 2.8));
  }
  p.drawPath(wave);
}

void PaintOpenSingleVoice(QPainter& p) {
  Folder(p);
  Card(p, QRectF(9.5, 0.5, 10, 9));
  // One note: head and stem.
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(11.3, 5.6, 3.6, 2.6));
  p.setPen(QPen(kBlue, 1.1));
  p.drawLine(QPointF(14.6, 6.8), QPointF(14.6, 1.8));
  p.drawLine(QPointF(14.6, 1.8), QPointF(17.6, 3.6));
}

void PaintOpenAnalysisData(QPainter& p) {
  Folder(p);
  p.setPen(QPen(Ink(), 0.8));
  p.setBrush(Qt::black);
  p.drawRect(QRectF(9.5, 0.5, 10, 8));
  p.setPen(Qt::NoPen);
  const QColor colours[] = {QColor(0xff, 0x40, 0x20), QColor(0xff, 0xe0, 0x30),
                            QColor(0x30, 0xc0, 0xff)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(colours[i]);
    p.drawRect(QRectF(10.5 + i, 1.7 + i * 2.2, 7.5 - i * 1.5, 1.3));
  }
}

void PaintSaveAnalysisData(QPainter& p) {
  p.setPen(QPen(kBlue.darker(140), 1));
  p.setBrush(kBlue);
  const QPainterPath disk =
      ClosedPath({{2.5, 2.5}, {15, 2.5}, {17.5, 5}, {17.5, 17.5}, {2.5, 17.5}});
  p.drawPath(disk);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd8, 0xd8, 0xd8));
  p.drawRect(QRectF(5.5, 3, 8, 5));
  p.setBrush(kBlue.darker(140));
  p.drawRect(QRectF(10.5, 3.8, 2, 3.4));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 10.5, 11, 6.5));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.7));
  for (double y : {12.5, 14.5}) p.drawLine(QPointF(6, y), QPointF(14, y));
}

void PaintConditions(QPainter& p) {
  p.setPen(QPen(Ink(), 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(3.5, 1.5, 12, 17));
  p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
  for (double y : {5.0, 8.0, 11.0, 14.0}) p.drawLine(QPointF(6, y), QPointF(13, y));
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(10.5, 10.5, 9, 9));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(14.3, 12, 1.6, 1.6));
  p.drawRect(QRectF(14.4, 14.3, 1.4, 3.8));
}

void PaintHelp(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
  p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath hook;
  hook.moveTo(7, 7.6);
  hook.cubicTo(7, 4.2, 13.2, 4.2, 13.2, 7.6);
  hook.cubicTo(13.2, 10, 10, 10, 10, 12.4);
  p.drawPath(hook);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(8.8, 14, 2.4, 2.4));
}

void PaintSettings(QPainter& p) {
  const QPointF centre(10, 10);
  QPainterPath gear;
  for (int i = 0; i < 16; ++i) {
    const double a = i * std::numbers::pi / 8 - std::numbers::pi / 16;
    const double r = (i % 2 == 0) ? 8.5 : 6.3;
    const double a2 = a + std::numbers::pi / 8;
    const QPointF p1(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
    const QPointF p2(centre.x() + r * std::cos(a2), centre.y() + r * std::sin(a2));
    if (i == 0)
      gear.moveTo(p1);
    else
      gear.lineTo(p1);
    gear.lineTo(p2);
  }
  gear.closeSubpath();
  gear.addEllipse(centre, 2.8, 2.8);
  gear.setFillRule(Qt::OddEvenFill);
  p.setPen(QPen(Ink(), 0.8));
  p.setBrush(QColor(0x80, 0x88, 0x98));
  p.drawPath(gear);
}

}  // namespace velmio::ui::icons
