#include "ui/UiFonts.h"

#include <QFontMetrics>
#include <QStringList>

namespace velmio::ui {

QFont UiFont() {
  QFont font;
  font.setFamilies(QStringList{"MS UI Gothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, metrics.height()};
}

}  // namespace velmio::ui
