#pragma once
// What the view widget needs from the window around it: the bars it writes
// to, the caption, the command table's refresh, and the user's gestures that
// the window handles (dropped files, the right-click menu).
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include "view/TempoDialogState.h"

namespace velmio::ui {

class ViewFrame {
 public:
  virtual ~ViewFrame() = default;
  virtual void SetStatusText(int pane, const QString& text) = 0;
  virtual void SetControlText(int controlId, const QString& text) = 0;
  virtual void SetLegendImage(const QImage& legend) = 0;
  virtual int LegendHeight() const = 0;
  virtual void SetFrameTitle(const QString& title) = 0;
  virtual void CommandStatesChanged() = 0;
  // False while a drop would be ignored (playing, paused or analysing).
  virtual bool AcceptsDrops() const = 0;
  // Local paths of the dropped files in order; a non-local item is empty.
  virtual void DropFiles(const QStringList& paths) = 0;
  virtual void RightClick(QPoint client, QPoint global) = 0;
  // The view's tempo dialog changed; the window shows it.
  virtual void TempoDialogChanged(const TempoDialogControls& /*controls*/) {}
};

}  // namespace velmio::ui
