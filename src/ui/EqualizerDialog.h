#pragma once
// CEQdlg: the modeless "グラフィック・イコライザー" window. One slider per
// octave band C0 ... C10 with its gain read-out, a Q shared by all bands, the
// switch that lets playback through the equalizer, four presets (a click
// loads, Ctrl+click stores) with Reset, and the response graph. The dialog
// edits a filter bank it does not own: playback keeps using the bank whether
// the window is shown or not, and the bank designs its sections only through
// UpdateFilters, on the UI thread, between two playback blocks.
#include <QDialog>
#include <array>
#include <functional>

#include "audio/Equalizer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace velmio::ui {

class CBandSlider;
class CEqualizerGraph;
class CPresetButton;
struct DialogUnits;

class CEQdlg : public QDialog {
 public:
  // Builds the window around `bank`: sliders at the bank's current gains, the
  // Q field at "1.0", the check box at the bank's switch; the presets are the
  // bank's. A Ctrl+click hands the preset number to `storePreset`, which
  // keeps the bank's current setting as that preset. The bank must outlive
  // the dialog. UI thread.
  CEQdlg(Equalizer& bank, std::function<void(int preset)> storePreset, QWidget* parent = nullptr);

  // Called after the window has been shown or hidden, by whatever means
  // (the menu command, "閉じる", the close box, Escape), for the menu check.
  void SetVisibilityListener(std::function<void()> listener) {
    m_visibilityChanged = std::move(listener);
  }

  // The controls, for the window's own checks.
  QSlider* Slider(int band) const;
  QLabel* GainLabel(int band) const;
  QLineEdit* QField() const { return m_qField; }
  QCheckBox* EnableBox() const { return m_enableBox; }
  QPushButton* PresetButton(int preset) const;  // 1 ... 4
  QPushButton* ResetButton() const { return m_resetButton; }
  QPushButton* CloseButton() const { return m_closeButton; }
  CEqualizerGraph* Graph() const { return m_graph; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void CreateBandControls(const DialogUnits& u);
  void CreateSettingControls(const DialogUnits& u);
  void CreateGraph(const DialogUnits& u);
  QLabel* AddStatic(const QString& text, const QRect& box, Qt::Alignment alignment);

  // Redesigns the dirty bands from the slider positions and the Q field,
  // then refreshes their gain labels and the graph.
  void Redesign();
  // The Q of the field; text that does not read as a positive finite number
  // is refused with a message and replaced by "1.0".
  float ValidatedQ();
  void OnPresetClicked(int preset);
  void LoadPreset(int preset);
  // Puts the sliders at `gains` and the field at `qText`, then redesigns all bands.
  void ApplySetting(const EqBandGains& gains, const QString& qText);
  // Sliders and labels from the bank's current gains, without a redesign.
  void ShowCurrentGains();

  Equalizer& m_bank;
  std::function<void(int preset)> m_storePreset;
  std::array<CBandSlider*, kEqBands> m_sliders{};
  std::array<QLabel*, kEqBands> m_gainLabels{};
  std::array<CPresetButton*, kEqPresets> m_presetButtons{};
  QLineEdit* m_qField = nullptr;
  QCheckBox* m_enableBox = nullptr;
  QPushButton* m_resetButton = nullptr;
  QPushButton* m_closeButton = nullptr;
  CEqualizerGraph* m_graph = nullptr;
  std::function<void()> m_visibilityChanged;
};

}  // namespace velmio::ui
