#pragma once
// The toolbar's buttons with a slim margin around their 20 x 20 icons, so that
// all 21 buttons fit in the 620-pixel window the program opens with.
#include <QProxyStyle>

namespace velmio::ui {

class CompactToolStyle : public QProxyStyle {
 public:
  CompactToolStyle();
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
};

}  // namespace velmio::ui
