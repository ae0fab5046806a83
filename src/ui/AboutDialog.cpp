#include "ui/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/ToolbarIcons.h"
#include "ui/UiFonts.h"

namespace velmio::ui {
namespace {

constexpr int kStaticFileInfo = 1061;

QLabel* AddStatic(QWidget* parent, const DialogUnits& u, int x, int y, int w, int h,
                  const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(u.X(x), u.Y(y), u.X(w), u.Y(h) + 2);
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("バージョン情報 velmio"));
  setFont(UiFont());
  setModal(true);
  const DialogUnits u = DialogUnitsOf(font());
  auto* icon = new QLabel(this);
  icon->setGeometry(u.X(11), u.Y(17), u.X(20), u.Y(20));
  const int side = std::min(u.X(20), u.Y(20));
  icon->setPixmap(ApplicationIcon().pixmap(QSize(side, side)));
  AddStatic(this, u, 40, 10, 119, 8, QStringLiteral("Velmio Versio 0.89"));
  AddStatic(this, u, 40, 42, 140, 8, QStringLiteral("32bit program for WindowsXP"));
  // A line of its own below the version, left empty for now.
  AddStatic(this, u, 45, 59, 181, 8, QString())->setObjectName(QString::number(kStaticFileInfo));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(u.X(182), u.Y(25), u.X(41), u.Y(16));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(u.X(235), u.Y(75));
}

}  // namespace velmio::ui
