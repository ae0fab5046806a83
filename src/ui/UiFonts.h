#pragma once
// The faces of the window's texts: a Japanese UI face for menus, bars and
// dialogs, asked for by a family list so that the preferred face wins where it
// is installed and the IPA faces from Debian stand in elsewhere. Dialog
// layouts are given in dialog units of that face.
#include <QFont>

namespace velmio::ui {

// Proportional Japanese UI face, 9 points: menus, bars, dialogs.
QFont UiFont();

// Dialog units of a face: a quarter of its average Latin letter width across,
// an eighth of its height down.
struct DialogUnits {
  int baseX = 6;
  int baseY = 12;
  int X(int units) const { return (units * baseX + 2) / 4; }
  int Y(int units) const { return (units * baseY + 4) / 8; }
};
DialogUnits DialogUnitsOf(const QFont& font);

}  // namespace velmio::ui
