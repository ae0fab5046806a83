#pragma once
// The two kinds of control of the equalizer window that plain Qt controls do
// not cover: the band slider, whose position is the negated gain, and the
// preset button, which tells a Ctrl+click from a plain one.
#include <QPushButton>
#include <QSlider>
#include <optional>

namespace velmio::ui {

// Slider positions are negated gains: +12 dB at the top, -24 dB at the bottom.
constexpr int kEqTopPosition = -12;
constexpr int kEqBottomPosition = 24;

// A vertical slider over positions -12 (top, +12 dB) ... 24 (bottom,
// -24 dB) in steps of 1, with ticks on both sides every 6. Up, Page Up and
// the wheel turned away from the user move it up, as on any vertical slider.
class CBandSlider : public QSlider {
 public:
  explicit CBandSlider(QWidget* parent);
  // Vertical centre of the handle at `position`, in the slider's coordinates.
  int HandleCentreY(int position) const;
};

// A push button that remembers the modifier keys of the press that clicked it.
class CPresetButton : public QPushButton {
 public:
  CPresetButton(const QString& text, QWidget* parent);
  // While a click is reported: the modifiers of the mouse or key release that
  // made it, or, for a click made by other means, the keyboard's state now.
  Qt::KeyboardModifiers ClickModifiers() const;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  std::optional<Qt::KeyboardModifiers> m_clickModifiers;
};

}  // namespace velmio::ui
