#include "ui/CompactToolStyle.h"

#include <QApplication>

namespace velmio::ui {
namespace {

constexpr int kButtonMargin = 2;  // each side of the icon

}  // namespace

// Based on the application's style, whatever the desktop chose.
CompactToolStyle::CompactToolStyle() : QProxyStyle(QApplication::style()->name()) {}

QSize CompactToolStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                         const QSize& size, const QWidget* widget) const {
  if (type == CT_ToolButton) return size + QSize(2 * kButtonMargin, 2 * kButtonMargin);
  return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int CompactToolStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                  const QWidget* widget) const {
  if (metric == PM_ToolBarItemSpacing) return 1;
  return QProxyStyle::pixelMetric(metric, option, widget);
}

}  // namespace velmio::ui
