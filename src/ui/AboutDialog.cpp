#include "ui/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <algorithm>

#include "ui/ToolbarIcons.h"
#include "ui/UiFonts.h"

namespace velmio::ui {
namespace {

constexpr int kStaticFileInfo = 1061;
constexpr char kLicenceNotice[] = "GNU GPL v3 以降のフリーソフトウェアです";

// What this build is: "64bit program for Linux", from the running build's
// word size and system rather than a fixed text.
QString BuildText() {
  const QString system = QSysInfo::kernelType() == QStringLiteral("linux")
                             ? QStringLiteral("Linux")
                             : QSysInfo::productType();
  return QStringLiteral("%1bit program for %2").arg(QSysInfo::WordSize).arg(system);
}

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
  AddStatic(this, u, 40, 42, 140, 8, BuildText())->setObjectName(QStringLiteral("build"));
  AddStatic(this, u, 45, 59, 181, 8, QString::fromUtf8(kLicenceNotice))
      ->setObjectName(QString::number(kStaticFileInfo));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(u.X(182), u.Y(25), u.X(41), u.Y(16));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(u.X(235), u.Y(75));
}

}  // namespace velmio::ui
