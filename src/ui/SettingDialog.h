#pragma once
// CSettingDlg: the modal dialog "設定". The analysis settings and the
// display, MIDI, decoder, vocal-cut and formant options in two columns; OK
// checks the two number fields, "..." chooses the decoder program.
#include <QDialog>
#include <functional>

#include "view/SettingsDialogValues.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;

namespace velmio::ui {

class CSettingDlg : public QDialog {
 public:
  // `checkDecoder` vets a newly chosen decoder program (it shows its own
  // messages); the path is taken only when it returns true.
  CSettingDlg(const SettingsDialogValues& values,
              std::function<bool(const std::string&)> checkDecoder, QWidget* parent = nullptr);

  // The values after OK.
  const SettingsDialogValues& Values() const { return m_values; }

  void accept() override;

 private:
  QWidget* MakeLeftColumn();
  QWidget* MakeRightColumn();
  void ShowValues();
  void ReadChoices();
  bool ReadNumber(QLineEdit* field, int32_t low, int32_t high, int32_t& value);
  void BrowseDecoder();
  void ShowDecoderPath();

  SettingsDialogValues m_values;
  std::function<bool(const std::string&)> m_checkDecoder;
  QButtonGroup* m_window = nullptr;
  QComboBox* m_bins = nullptr;
  QComboBox* m_low = nullptr;
  QComboBox* m_high = nullptr;
  QLineEdit* m_a4 = nullptr;
  QLineEdit* m_instrument = nullptr;
  QComboBox* m_harmonics = nullptr;
  QButtonGroup* m_color = nullptr;
  QLabel* m_decoderLabel = nullptr;
  QButtonGroup* m_vocal = nullptr;
  QComboBox* m_vocalLowest = nullptr;
  QButtonGroup* m_formant = nullptr;
  QButtonGroup* m_sensitivity = nullptr;
};

}  // namespace velmio::ui
