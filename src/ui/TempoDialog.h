#pragma once
// CTempoDlg: the modeless "テンポ、拍子の設定" window. It mirrors what the
// view's tempo dialog state holds (the tempo and start texts, the two metre
// lists, the message line, shown or hidden) and hands every edit and button
// press back to the view, which runs the flows. Made once with the main
// window, hidden, and kept until the program ends. UI thread.
#include <QDialog>

#include "view/TempoDialogState.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmio {
class CTestView;
}

namespace velmio::ui {

class CTempoDlg : public QDialog {
 public:
  // `view` must outlive the dialog.
  CTempoDlg(CTestView& view, QWidget* parent = nullptr);

  // Shows `controls`; a list whose selection is kNoSelection keeps the text
  // typed into it. Raised to the top when it becomes visible.
  void Apply(const TempoDialogControls& controls);

  // The controls, for the window's own checks.
  QLineEdit* TempoEdit() const { return m_tempoEdit; }
  QLineEdit* StartEdit() const { return m_startEdit; }
  QComboBox* BeatsPerBarList() const { return m_beatsList; }
  QComboBox* BeatUnitList() const { return m_unitList; }
  QPushButton* OkButton() const { return m_okButton; }
  QPushButton* CancelButton() const { return m_cancelButton; }
  QPushButton* EstimateButton() const { return m_estimateButton; }
  QLabel* MessageLine() const { return m_message; }

 protected:
  // Escape and the close box discard the edits as Cancel does.
  void reject() override;

 private:
  void CreateControls();
  QComboBox* AddList(const QStringList& items, int id, const QRect& box);
  QPushButton* AddButton(const QString& text, int id, const QRect& box);
  // The controls' contents as the view keeps them.
  TempoDialogControls Read() const;
  void HandEditsToView();

  CTestView& m_view;
  QLineEdit* m_tempoEdit = nullptr;
  QLineEdit* m_startEdit = nullptr;
  QComboBox* m_beatsList = nullptr;
  QComboBox* m_unitList = nullptr;
  QPushButton* m_okButton = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QPushButton* m_estimateButton = nullptr;
  QLabel* m_message = nullptr;
};

}  // namespace velmio::ui
