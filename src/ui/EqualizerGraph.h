#pragma once
// The equalizer's response graph: the eleven band curves and their total,
// drawn from the bank's responses over a grid of 6 dB by one octave.
#include <QImage>
#include <QWidget>

namespace velmio {
class Equalizer;
}

namespace velmio::ui {

constexpr int kEqGraphWidth = 400;   // one pixel per display frequency
constexpr int kEqGraphHeight = 150;  // +12 dB at the top, -24 dB at the bottom

// Row of the graph for a response in dB: 0 dB on row 50, 100/24 rows per dB
// downward, truncated toward zero and kept within 0 ... 150.
int EqGraphRow(float responseDb);

// The graph as a 400 x 150 picture of the bank's current responses. UI thread.
QImage RenderEqualizerGraph(const Equalizer& bank);

// Shows RenderEqualizerGraph of its bank; repaint it after the responses change.
class CEqualizerGraph : public QWidget {
 public:
  CEqualizerGraph(const Equalizer& bank, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Equalizer& m_bank;
};

}  // namespace velmio::ui
