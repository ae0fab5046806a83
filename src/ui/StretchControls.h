#pragma once
// The dialog bar's playback speed and transposition: a preset list, the
// speed in 1 % steps, semitones and cents. Edits go to the handler; Show
// brings the controls to the settings in force (after a key or menu command).
#include <QWidget>
#include <functional>

#include "audio/Stretcher.h"

class QComboBox;
class QSpinBox;

namespace velmio::ui {

class CStretchControls : public QWidget {
 public:
  explicit CStretchControls(QWidget* parent = nullptr);

  void SetHandler(std::function<void(const StretchSettings&)> handler) {
    m_handler = std::move(handler);
  }
  // Shows `settings` without calling the handler.
  void Show(const StretchSettings& settings);

  QComboBox* Presets() const { return m_presets; }
  QSpinBox* Speed() const { return m_speed; }
  QSpinBox* Semitones() const { return m_semitones; }
  QSpinBox* Cents() const { return m_cents; }

 private:
  StretchSettings Current() const;
  void Changed();

  QComboBox* m_presets = nullptr;
  QSpinBox* m_speed = nullptr;
  QSpinBox* m_semitones = nullptr;
  QSpinBox* m_cents = nullptr;
  std::function<void(const StretchSettings&)> m_handler;
};

}  // namespace velmio::ui
