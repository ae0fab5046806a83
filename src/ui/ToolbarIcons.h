#pragma once
// The toolbar's icons and the application icon, painted with QPainter at 1x
// and 2x so that they stay crisp on any screen without image files.
#include <QIcon>
#include <QPainter>

namespace velmio::ui {

// The icon of toolbar command `id`; a null icon for a command without one.
QIcon CommandIcon(int id);

// The application icon (window, About box).
QIcon ApplicationIcon();

// Painters of the icons, each in a 20 x 20 box; split by subject.
namespace icons {
void PaintFileOpen(QPainter& p);
void PaintOpenSingleVoice(QPainter& p);
void PaintOpenAnalysisData(QPainter& p);
void PaintSaveAnalysisData(QPainter& p);
void PaintConditions(QPainter& p);
void PaintHelp(QPainter& p);
void PaintSettings(QPainter& p);
void PaintRewind(QPainter& p);
void PaintStop(QPainter& p);
void PaintPlay(QPainter& p);
void PaintLoop(QPainter& p);
void PaintGainUp(QPainter& p);
void PaintGainDown(QPainter& p);
void PaintRangeUp(QPainter& p);
void PaintRangeDown(QPainter& p);
void PaintHarmonics(QPainter& p);
void PaintBarDisplay(QPainter& p);
void PaintPitch(QPainter& p);
void PaintWaveform(QPainter& p);
void PaintEqualizer(QPainter& p);
void PaintGrid(QPainter& p);
void PaintZoomIn(QPainter& p);
void PaintZoomOut(QPainter& p);
void PaintZoomReset(QPainter& p);
}  // namespace icons

}  // namespace velmio::ui
