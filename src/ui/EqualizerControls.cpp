#include "ui/EqualizerControls.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionSlider>

namespace velmio::ui {
namespace {

constexpr int kTickStep = 6;

}  // namespace

CBandSlider::CBandSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {
  setRange(kEqTopPosition, kEqBottomPosition);
  setSingleStep(1);
  setPageStep(1);
  // The smallest position is at the top; the keys and the wheel follow the
  // picture rather than the numbers.
  setInvertedAppearance(true);
  setInvertedControls(true);
  setTickPosition(QSlider::TicksBothSides);
  setTickInterval(kTickStep);
  // Styles that fill the groove from the smallest position would fill it
  // from the top, more as the gain falls; a plain groove reads right.
  QPalette plain = palette();
  plain.setColor(QPalette::Highlight, plain.color(QPalette::Mid));
  setPalette(plain);
}

int CBandSlider::HandleCentreY(int position) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  option.sliderPosition = position;
  option.sliderValue = position;
  return style()
      ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this)
      .center()
      .y();
}

CPresetButton::CPresetButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  // Enter in the Q field must not press a preset.
  setAutoDefault(false);
}

Qt::KeyboardModifiers CPresetButton::ClickModifiers() const {
  return m_clickModifiers.value_or(QGuiApplication::queryKeyboardModifiers());
}

// The release is what clicks the button, and the click is reported while it
// is handled: its modifiers are the ones the user held.
void CPresetButton::mouseReleaseEvent(QMouseEvent* event) {
  m_clickModifiers = event->modifiers();
  QPushButton::mouseReleaseEvent(event);
  m_clickModifiers.reset();
}

void CPresetButton::keyReleaseEvent(QKeyEvent* event) {
  m_clickModifiers = event->modifiers();
  QPushButton::keyReleaseEvent(event);
  m_clickModifiers.reset();
}

}  // namespace velmio::ui
