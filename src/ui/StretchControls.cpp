#include "ui/StretchControls.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cmath>

namespace velmio::ui {
namespace {

QSpinBox* MakeSpin(QWidget* parent, int low, int high, const char* suffix, const char* tip) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(low, high);
  spin->setSuffix(QString::fromUtf8(suffix));
  spin->setToolTip(QString::fromUtf8(tip));
  // A click puts the cursor there; the keys of the window stay the window's otherwise.
  spin->setFocusPolicy(Qt::ClickFocus);
  spin->setKeyboardTracking(false);
  return spin;
}

}  // namespace

CStretchControls::CStretchControls(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(new QLabel(QString::fromUtf8("速度"), this));
  m_presets = new QComboBox(this);
  m_presets->setFocusPolicy(Qt::ClickFocus);
  m_presets->setToolTip(QString::fromUtf8("再生速度のプリセット"));
  for (double preset : kSpeedPresets)
    m_presets->addItem(QString::number(static_cast<int>(preset)) + "%", preset);
  layout->addWidget(m_presets);
  m_speed = MakeSpin(this, static_cast<int>(kMinSpeedPercent), static_cast<int>(kMaxSpeedPercent),
                     "%", "再生速度（音程は変わりません）");
  layout->addWidget(m_speed);
  layout->addWidget(new QLabel(QString::fromUtf8("移調"), this));
  m_semitones =
      MakeSpin(this, -kMaxTransposeSemitones, kMaxTransposeSemitones, "", "再生の移調（半音）");
  layout->addWidget(m_semitones);
  m_cents = MakeSpin(this, -kMaxTransposeCents, kMaxTransposeCents, "¢", "再生の微調整（セント）");
  layout->addWidget(m_cents);
  Show(StretchSettings{});
  connect(m_presets, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    const QSignalBlocker block(m_speed);
    m_speed->setValue(static_cast<int>(m_presets->itemData(index).toDouble()));
    Changed();
  });
  for (QSpinBox* spin : {m_speed, m_semitones, m_cents})
    connect(spin, qOverload<int>(&QSpinBox::valueChanged), this, [this] { Changed(); });
}

StretchSettings CStretchControls::Current() const {
  return StretchSettings{static_cast<double>(m_speed->value()), m_semitones->value(),
                         m_cents->value()};
}

void CStretchControls::Changed() {
  const StretchSettings settings = Current();
  const int preset = m_presets->findData(settings.speedPercent);
  const QSignalBlocker block(m_presets);
  m_presets->setCurrentIndex(preset);
  if (m_handler) m_handler(settings);
}

void CStretchControls::Show(const StretchSettings& settings) {
  const QSignalBlocker blockSpeed(m_speed), blockSemitones(m_semitones), blockCents(m_cents),
      blockPresets(m_presets);
  m_speed->setValue(static_cast<int>(std::lround(settings.speedPercent)));
  m_semitones->setValue(settings.semitones);
  m_cents->setValue(settings.cents);
  m_presets->setCurrentIndex(m_presets->findData(settings.speedPercent));
}

}  // namespace velmio::ui
