#include "ui/EqualizerGraph.h"

#include <QPainter>
#include <QPolygon>
#include <array>

#include "audio/Equalizer.h"

namespace velmio::ui {
namespace {

constexpr int kZeroDbRow = 50;
constexpr int kGridStep = 25;       // 6 dB
constexpr int kOctaveColumns = 40;  // display frequencies per octave
constexpr float kInverse24 = 0.041666668f;

const QColor kGridColour(0, 128, 0);
const std::array<QColor, kEqBands> kBandColours = {
    QColor(255, 0, 0),   QColor(255, 255, 0), QColor(0, 255, 0),  QColor(0, 255, 255),
    QColor(16, 16, 255), QColor(255, 0, 255), QColor(255, 0, 0),  QColor(255, 255, 0),
    QColor(0, 255, 0),   QColor(0, 255, 255), QColor(16, 16, 255)};

void DrawGrid(QPainter& painter) {
  painter.setPen(QPen(kGridColour, 1));
  // The last line of each direction falls just outside the picture.
  for (int y = 0; y <= kEqGraphHeight; y += kGridStep) painter.drawLine(0, y, kEqGraphWidth, y);
  for (int x = 0; x <= kEqGraphWidth; x += kOctaveColumns)
    painter.drawLine(x, 0, x, kEqGraphHeight);
}

void DrawCurve(QPainter& painter, const float* responseDb, const QPen& pen) {
  QPolygon line(kEqResponsePoints);
  for (int p = 0; p < kEqResponsePoints; ++p) line.setPoint(p, p, EqGraphRow(responseDb[p]));
  painter.setPen(pen);
  painter.drawPolyline(line);
}

}  // namespace

int EqGraphRow(float responseDb) {
  const float row = static_cast<float>(kZeroDbRow) - responseDb * 100.0f * kInverse24;
  // Compared before the conversion: an infinite or undefined response (a band
  // with no gain at some frequency) must not reach the integer conversion.
  if (!(row > 0.0f)) return 0;
  if (row >= static_cast<float>(kEqGraphHeight)) return kEqGraphHeight;
  return static_cast<int>(row);
}

QImage RenderEqualizerGraph(const Equalizer& bank) {
  QImage image(kEqGraphWidth, kEqGraphHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  DrawGrid(painter);
  for (int k = 0; k < kEqBands; ++k)
    DrawCurve(painter, bank.m_bandResponse[k], QPen(kBandColours[k], 1));
  DrawCurve(painter, bank.m_totalResponse, QPen(Qt::white, 2));
  return image;
}

CEqualizerGraph::CEqualizerGraph(const Equalizer& bank, QWidget* parent)
    : QWidget(parent), m_bank(bank) {
  setFixedSize(kEqGraphWidth, kEqGraphHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);  // the picture covers every pixel
}

void CEqualizerGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, RenderEqualizerGraph(m_bank));
}

}  // namespace velmio::ui
