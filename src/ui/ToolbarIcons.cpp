#include "ui/ToolbarIcons.h"

#include <QPixmap>

#include "ui/CommandIds.h"

namespace velmio::ui {
namespace {

using Painter = void (*)(QPainter&);

Painter PainterOf(int id) {
  switch (id) {
    case kCmdFileOpen:
      return icons::PaintFileOpen;
    case kCmdOpenSingleVoice:
      return icons::PaintOpenSingleVoice;
    case kCmdOpenAnalysisData:
      return icons::PaintOpenAnalysisData;
    case kCmdSaveAnalysisData:
      return icons::PaintSaveAnalysisData;
    case kCmdConditions:
      return icons::PaintConditions;
    case kCmdHelp:
      return icons::PaintHelp;
    case kCmdSettings:
      return icons::PaintSettings;
    case kCmdRewind:
      return icons::PaintRewind;
    case kCmdStop:
      return icons::PaintStop;
    case kCmdPlay:
      return icons::PaintPlay;
    case kCmdLoop:
      return icons::PaintLoop;
    case kCmdGainUp:
      return icons::PaintGainUp;
    case kCmdGainDown:
      return icons::PaintGainDown;
    case kCmdRangeUp:
      return icons::PaintRangeUp;
    case kCmdRangeDown:
      return icons::PaintRangeDown;
    case kCmdHarmonics:
      return icons::PaintHarmonics;
    case kCmdBarDisplay:
      return icons::PaintBarDisplay;
    case kCmdPitch:
      return icons::PaintPitch;
    case kCmdWaveform:
      return icons::PaintWaveform;
    case kCmdEqualizer:
      return icons::PaintEqualizer;
    case kCmdGrid:
      return icons::PaintGrid;
    case kCmdZoomIn:
      return icons::PaintZoomIn;
    case kCmdZoomOut:
      return icons::PaintZoomOut;
    case kCmdZoomReset:
      return icons::PaintZoomReset;
    default:
      return nullptr;
  }
}

// One resolution of an icon drawn in `box` x `box` logical units.
QPixmap Render(Painter paint, int box, int logicalSize, int scale) {
  QPixmap pixmap(logicalSize * scale, logicalSize * scale);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(logicalSize * scale) / box, double(logicalSize * scale) / box);
    paint(painter);
  }
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}

// A keyboard strip beside a few bright spectrogram lines.
void PaintApplication(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x20, 0x24, 0x30));
  p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(2, 2, 5, 16));
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.4));
  for (int k = 1; k < 5; ++k) p.drawLine(QPointF(2, 2 + k * 3.2), QPointF(7, 2 + k * 3.2));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  for (double y : {4.6, 7.8, 14.2}) p.drawRect(QRectF(2, y - 0.9, 3, 1.8));
  const QColor streaks[] = {QColor(0xff, 0xd0, 0x30), QColor(0xff, 0x70, 0x30),
                            QColor(0x50, 0xd0, 0xff)};
  const double rows[] = {6.2, 11.0, 15.0};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(streaks[i]);
    p.drawRoundedRect(QRectF(8.5 + i * 1.5, rows[i] - 0.9, 9.5 - i * 2.5, 1.8), 0.9, 0.9);
  }
}

}  // namespace

QIcon CommandIcon(int id) {
  const Painter paint = PainterOf(id);
  if (paint == nullptr) return {};
  QIcon icon;
  for (int scale : {1, 2}) icon.addPixmap(Render(paint, 20, 20, scale));
  return icon;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256}) icon.addPixmap(Render(PaintApplication, 20, size, 1));
  return icon;
}

}  // namespace velmio::ui
