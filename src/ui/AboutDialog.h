#pragma once
// The About box: the program's name and version, what build it is and its
// licence, closed with OK.
#include <QDialog>

namespace velmio::ui {

class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace velmio::ui
