#include "ui/MiscDialogBar.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <array>

#include "ui/StretchControls.h"
#include "ui/UiFonts.h"
#include "view/ColorTable.h"
#include "view/Host.h"

namespace velmio::ui {
namespace {

// A control's place in dialog units, and the widest text it must show, so that
// a face wider than the preferred one does not cut its texts.
struct ControlLayout {
  int id;
  int x, y, width, height;
  const char* initialText;
  const char* widestText;
};

constexpr std::array<ControlLayout, 7> kLayout = {{
    {kControlTime, 4, 5, 66, 8, "時間  0:00.0 / 0:00.0", "時間 99:59.9 / 99:59.9"},
    {kControlBar, 73, 5, 63, 8, "", "小節 999: 3 / 999: 3"},
    {kControlLevelLow, 141, 6, 21, 8, "", "-144dB"},
    {kControlLegend, 165, 6, 73, 8, nullptr, nullptr},
    {kControlLevelHigh, 241, 6, 19, 8, "", "-124dB"},
    {kControlLoop, 274, 5, 85, 8, "", "LOOP 99:59.9～99:59.9"},
    {kControlVocalMode, 375, 5, 78, 8, "", "ボーカル抽出　"},
}};
constexpr int kBarWidthUnits = 464;
constexpr int kBarHeightUnits = 16;
constexpr int kGap = 3;

}  // namespace

CMiscDialogBar::CMiscDialogBar(QWidget* parent) : QWidget(parent) {
  setFont(UiFont());
  for (const ControlLayout& c : kLayout) {
    auto* label = new QLabel(this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (c.id == kControlLegend) {
      label->setFrameShape(QFrame::Box);  // the black frame of the legend control
      label->setLineWidth(1);
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, Qt::black);
      label->setPalette(palette);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    } else {
      label->setText(QString::fromUtf8(c.initialText));
    }
    m_controls[c.id] = label;
  }
  m_stretch = new CStretchControls(this);
  Layout();
}

void CMiscDialogBar::Layout() {
  const DialogUnits units = DialogUnitsOf(font());
  const QFontMetrics metrics(font());
  int previousRight = 0;
  for (const ControlLayout& c : kLayout) {
    int width = units.X(c.width);
    int height = units.Y(c.height) + 2;
    if (c.widestText != nullptr) {
      width = std::max(width, metrics.horizontalAdvance(QString::fromUtf8(c.widestText)) + 2);
      height = std::max(height, metrics.height());
    } else {
      width = std::max(width, kLegendWidth + 2);  // the legend picture and its frame
    }
    const int x = std::max(units.X(c.x), previousRight + kGap);
    m_controls[c.id]->setGeometry(x, units.Y(c.y) - 1, width, height);
    previousRight = x + width;
  }
  const QSize stretch = m_stretch->sizeHint();
  m_stretch->setGeometry(previousRight + 4 * kGap, 2, stretch.width(), stretch.height());
  previousRight += 4 * kGap + stretch.width();
  m_size = QSize(std::max(units.X(kBarWidthUnits), previousRight + kGap),
                 std::max({units.Y(kBarHeightUnits), metrics.height() + 8, stretch.height() + 4}));
  setMinimumHeight(m_size.height());
}

void CMiscDialogBar::SetControlText(int controlId, const QString& text) {
  const auto it = m_controls.find(controlId);
  if (it != m_controls.end() && controlId != kControlLegend) it->second->setText(text);
}

QString CMiscDialogBar::ControlText(int controlId) const {
  const auto it = m_controls.find(controlId);
  return it == m_controls.end() ? QString() : it->second->text();
}

void CMiscDialogBar::SetLegendImage(const QImage& legend) {
  m_controls.at(kControlLegend)->setPixmap(QPixmap::fromImage(legend));
}

void CMiscDialogBar::SetStretchHandler(std::function<void(const StretchSettings&)> handler) {
  m_stretch->SetHandler(std::move(handler));
}

void CMiscDialogBar::ShowStretch(const StretchSettings& settings) {
  m_stretch->Show(settings);
}

int CMiscDialogBar::LegendHeight() const {
  return std::max(1, m_controls.at(kControlLegend)->contentsRect().height());
}

}  // namespace velmio::ui
