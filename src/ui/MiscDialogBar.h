#pragma once
// The dialog bar under the toolbar: time and bar read-outs, the colour legend
// with its two level labels, the loop range and the vocal mode. All controls
// are static texts written by the view, addressed by their ids.
#include <QImage>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

#include "audio/Stretcher.h"

class QLabel;

namespace velmio::ui {

class CStretchControls;

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

  // The playback speed and transposition controls after the texts: edits go
  // to `handler`; ShowStretch shows the settings in force.
  void SetStretchHandler(std::function<void(const StretchSettings&)> handler);
  void ShowStretch(const StretchSettings& settings);
  CStretchControls& StretchControls() const { return *m_stretch; }

 private:
  void Layout();

  std::map<int, QLabel*> m_controls;
  CStretchControls* m_stretch = nullptr;
  QSize m_size;
};

}  // namespace velmio::ui
