#pragma once
// The dialog bar under the toolbar: time and bar read-outs, the colour legend
// with its two level labels, the loop range and the vocal mode. All controls
// are static texts written by the view, addressed by their ids.
#include <QImage>
#include <QString>
#include <QWidget>
#include <map>

class QLabel;

namespace velmio::ui {

class CMiscDialogBar : public QWidget {
 public:
  explicit CMiscDialogBar(QWidget* parent = nullptr);

  // Sets the text of control `controlId`; unknown ids are ignored.
  void SetControlText(int controlId, const QString& text);
  QString ControlText(int controlId) const;
  // Shows the legend picture in control 1050.
  void SetLegendImage(const QImage& legend);
  // Height of the legend control's inside, for the legend picture.
  int LegendHeight() const;
  QSize sizeHint() const override { return m_size; }

 private:
  void Layout();

  std::map<int, QLabel*> m_controls;
  QSize m_size;
};

}  // namespace velmio::ui
