#pragma once
// CVCdlg: the modeless "TD-PSOLAによるピッチ検出とピッチ変換の設定" window of
// the single-voice mode: the vocal range searched (two lists of the 97 notes
// C_0 ... C_8), the Pitch and Formant sliders with their read-outs, the
// fixed settings M→W, W→M and Reset, presets 1 ... 5 (Ctrl+click stores),
// and the buttons that open a voice, analyse it again, save the converted
// voice and close. The state lives in the view (VoiceDialogState); the
// dialog shows it and sends each change through the view's verbs, and the
// view's watcher renders while playing. At most one exists. UI thread.
#include <QDialog>
#include <array>
#include <functional>

#include "view/VoiceDialogState.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace velmio {
class CTestView;
}

namespace velmio::ui {

class CPresetButton;

class CVCdlg : public QDialog {
 public:
  // Builds the window for the view's open dialog state. `closed` runs once
  // the view has let the dialog go (the frame then deletes it).
  CVCdlg(CTestView& view, std::function<void()> closed, QWidget* parent = nullptr);

  // Shows the view's state: selections, sliders, read-outs, which file
  // buttons are on, and hidden while the voice opened here is analysed.
  void Sync();

  // The controls, for the window's own checks.
  QComboBox* LowList() const { return m_lowList; }
  QComboBox* HighList() const { return m_highList; }
  QSlider* PitchSlider() const { return m_pitchSlider; }
  QSlider* FormantSlider() const { return m_formantSlider; }
  QLabel* PitchLabel() const { return m_pitchLabel; }
  QLabel* FormantLabel() const { return m_formantLabel; }
  QPushButton* OpenButton() const { return m_openButton; }
  QPushButton* RerunButton() const { return m_rerunButton; }
  QPushButton* SaveButton() const { return m_saveButton; }
  QPushButton* CloseButton() const { return m_closeButton; }
  QPushButton* FixedButton(FixedVoiceSetting which) const;
  QPushButton* PresetButton(int slot) const;  // 0 ... 4

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;  // Escape closes as the close box does

 private:
  QWidget* MakeRangeGroup();
  QWidget* MakeAdjustGroup();
  QWidget* MakePresetGroup();
  QWidget* MakeFileButtons();
  // The lists and sliders as they stand become the view's setting.
  void SendSetting();
  void RunAndSync(const std::function<void()>& action);
  bool AskViewToClose();

  CTestView& m_view;
  std::function<void()> m_closed;
  bool m_syncing = false;
  QComboBox* m_lowList = nullptr;
  QComboBox* m_highList = nullptr;
  QSlider* m_pitchSlider = nullptr;
  QSlider* m_formantSlider = nullptr;
  QLabel* m_pitchLabel = nullptr;
  QLabel* m_formantLabel = nullptr;
  QPushButton* m_maleToFemale = nullptr;
  QPushButton* m_femaleToMale = nullptr;
  QPushButton* m_reset = nullptr;
  std::array<CPresetButton*, 5> m_presets{};
  QPushButton* m_openButton = nullptr;
  QPushButton* m_rerunButton = nullptr;
  QPushButton* m_saveButton = nullptr;
  QPushButton* m_closeButton = nullptr;
};

}  // namespace velmio::ui
