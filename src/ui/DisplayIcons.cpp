// Icons of the playback and display commands.
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "ui/IconPainting.h"
#include "ui/ToolbarIcons.h"

namespace velmio::ui::icons {
namespace {

const QColor kGreen(0x22, 0x9a, 0x3a);
const QColor kRed(0xd0, 0x30, 0x20);

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c) {
  const QPainterPath path = ClosedPath({{a}, {b}, {c}});
  p.drawPath(path);
}

// A round "+" or "-" badge in the bottom right corner.
void Badge(QPainter& p, bool plus) {
  p.setPen(Qt::NoPen);
  p.setBrush(plus ? kGreen : kRed);
  p.drawEllipse(QRectF(11, 11, 8.5, 8.5));
  p.setPen(QPen(Qt::white, 1.6));
  p.drawLine(QPointF(12.8, 15.25), QPointF(17.7, 15.25));
  if (plus) p.drawLine(QPointF(15.25, 12.8), QPointF(15.25, 17.7));
}

// Brightness: a sun.
void Sun(QPainter& p) {
  const QPointF c(8.5, 8.5);
  p.setPen(QPen(QColor(0xe0, 0x90, 0x10), 1.4, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 8; ++i) {
    const double a = i * std::numbers::pi / 4;
    p.drawLine(QPointF(c.x() + 5 * std::cos(a), c.y() + 5 * std::sin(a)),
               QPointF(c.x() + 7.5 * std::cos(a), c.y() + 7.5 * std::sin(a)));
  }
  p.setPen(QPen(QColor(0xc0, 0x70, 0x00), 0.8));
  p.setBrush(QColor(0xff, 0xc8, 0x20));
  p.drawEllipse(c, 3.6, 3.6);
}

// Contrast (dynamic range): a circle half black, half white.
void Contrast(QPainter& p) {
  const QRectF r(1.5, 1.5, 14, 14);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(r);
  p.setBrush(Qt::black);
  p.drawPie(r, 90 * 16, 180 * 16);
  p.setPen(QPen(Ink(), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(r);
}

}  // namespace

void PaintRewind(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Ink());
  p.drawRect(QRectF(2.5, 4, 2, 12));
  Triangle(p, {4.5, 10}, {11.5, 4}, {11.5, 16});
  Triangle(p, {11, 10}, {18, 4}, {18, 16});
}

void PaintStop(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Ink());
  p.drawRoundedRect(QRectF(4, 4, 12, 12), 1.5, 1.5);
}

void PaintPlay(QPainter& p) {
  p.setPen(QPen(kGreen.darker(130), 1));
  p.setBrush(kGreen);
  Triangle(p, {5, 3}, {17, 10}, {5, 17});
}

void PaintLoop(QPainter& p) {
  p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::FlatCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3, 3.5, 14, 13), 100 * 16, 250 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  Triangle(p, {8.2, 0.8}, {13.2, 3.8}, {8.2, 7.2});
}

void PaintGainUp(QPainter& p) {
  Sun(p);
  Badge(p, true);
}

void PaintGainDown(QPainter& p) {
  Sun(p);
  Badge(p, false);
}

void PaintRangeUp(QPainter& p) {
  Contrast(p);
  Badge(p, true);
}

void PaintRangeDown(QPainter& p) {
  Contrast(p);
  Badge(p, false);
}

// A note's band and its harmonics above it, closer and fainter as they rise.
void PaintHarmonics(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(QRectF(1, 1, 18, 18));
  const double ys[] = {16, 10.5, 7, 4.8, 3.2};
  for (int i = 0; i < 5; ++i) {
    const int shade = i == 0 ? 0xe0 : 0xa0 - i * 12;
    p.setBrush(QColor(shade, shade, shade));
    p.drawRect(QRectF(2, ys[i] - 0.8, 16, i == 0 ? 2.2 : 1.3));
  }
}

// Bar lines: every fourth beat line is strong and carries the bar number.
void PaintBarDisplay(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(QRectF(1, 1, 18, 18));
  for (int i = 0; i < 5; ++i) {
    const double x = 2.5 + i * 3.75;
    p.setPen(QPen(i % 4 == 0 ? QColor(0, 255, 0) : QColor(0, 128, 0), i % 4 == 0 ? 1.6 : 1));
    p.drawLine(QPointF(x, i % 4 == 0 ? 2 : 6), QPointF(x, 18));
  }
  p.setPen(QPen(QColor(0, 255, 0), 1.2));
  p.drawLine(QPointF(5, 2.5), QPointF(5, 6));  // "1" beside the first strong line
}

void PaintPitch(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(QRectF(1, 1, 18, 18));
  p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.2));
  for (double y : {5.0, 10.0, 15.0}) p.drawLine(QPointF(2, y), QPointF(18, y));
  p.setPen(QPen(QColor(0xff, 0x30, 0x30), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath curve;
  curve.moveTo(2.5, 14);
  curve.cubicTo(6, 14, 6, 7, 9.5, 7.5);
  curve.cubicTo(13, 8, 13, 11, 17.5, 4.5);
  p.drawPath(curve);
}

void PaintWaveform(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(QRectF(1, 1, 18, 18));
  p.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), 1));
  for (int i = 0; i < 16; ++i) {
    const double x = 2.5 + i;
    const double a = 1 + 6.5 * std::fabs(std::sin(i * 0.55)) * (1 - i / 22.0);
    p.drawLine(QPointF(x, 10 - a), QPointF(x, 10 + a));
  }
}

void PaintEqualizer(QPainter& p) {
  const double knobs[] = {12, 6, 9, 4};
  for (int i = 0; i < 4; ++i) {
    const double x = 3.5 + i * 4.3;
    p.setPen(QPen(Ink(), 1.2));
    p.drawLine(QPointF(x, 2), QPointF(x, 18));
    p.setPen(QPen(Ink(), 0.7));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(x - 1.8, knobs[i] - 1.3, 3.6, 2.6), 0.6, 0.6);
  }
}

// Grid lines at frequencies: horizontal lines with "Hz" in the margin.
void PaintGrid(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  p.drawRect(QRectF(1, 1, 18, 18));
  p.setPen(QPen(QColor(0, 255, 0), 1));
  for (double y : {4.5, 9.5, 14.5}) p.drawLine(QPointF(2, y), QPointF(18, y));
  p.setPen(QPen(QColor(0, 128, 0), 1));
  for (double y : {7.0, 12.0, 17.0}) p.drawLine(QPointF(2, y), QPointF(18, y));
}

}  // namespace velmio::ui::icons
