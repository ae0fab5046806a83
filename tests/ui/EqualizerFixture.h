#pragma once
// The equalizer window over a bank and settings of its own, shown off screen,
// with helpers that act as the user does and catch the message it shows.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <memory>
#include <optional>

#include "UiTestSupport.h"
#include "audio/Equalizer.h"
#include "persist/AnalysisSettings.h"
#include "ui/EqualizerDialog.h"
#include "view/EqualizerPresets.h"

namespace velmio::test {

class EqualizerFixture : public testing::Test {
 protected:
  // The window, made on first use so that a test can prepare the settings.
  ui::CEQdlg& Dialog() {
    if (!m_dialog) {
      // The presets reach the bank from the settings, as the view's bank gets them.
      LoadEqualizerPresets(settings, bank);
      m_dialog = std::make_unique<ui::CEQdlg>(
          bank, [this](int preset) { StoreEqualizerPreset(preset, bank, settings); });
      m_dialog->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
    }
    return *m_dialog;
  }

  // Runs `action`; returns the text of the message box it showed (answered
  // with OK), or nothing when it showed none.
  static std::optional<QString> MessageDuring(const std::function<void()>& action) {
    std::optional<QString> text;
    ModalAnswerer<QMessageBox> answerer([&text](QMessageBox* box) {
      text = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    action();
    return text;
  }

  // Types `text` into the Q field, replacing what it held.
  void TypeQ(const QString& text) {
    QLineEdit* field = Dialog().QField();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  // Puts band `band` at `gainDb` as dragging its slider would.
  void SetGain(int band, int gainDb) { Dialog().Slider(band)->setValue(-gainDb); }

  void ClickPreset(int preset, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(Dialog().PresetButton(preset), Qt::LeftButton, modifiers);
  }

  EqBandGains CurrentGains() const {
    EqBandGains gains{};
    for (int k = 0; k < kEqBands; ++k) gains[k] = bank.m_gainDb[0][k];
    return gains;
  }

  EqBandGains SliderGains() {
    EqBandGains gains{};
    for (int k = 0; k < kEqBands; ++k) gains[k] = -Dialog().Slider(k)->value();
    return gains;
  }

  Equalizer bank{44100.0f};
  AnalysisSettings settings;

 private:
  std::unique_ptr<ui::CEQdlg> m_dialog;
};

}  // namespace velmio::test
