// The commands the window does itself: the conditions report, help, About,
// the new-document reset, printing, dropped files and the loop popup.
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include "ui/AboutDialog.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/ViewWidget.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::ShowAnalysisConditions() {
  const std::string text = m_view->AnalysisConditionsText();
  const QString shown = text.empty() ? QStringLiteral("ファイルが選択されていません。")
                                     : QString::fromStdString(text);
  QMessageBox box(QMessageBox::Information, QStringLiteral("解析条件"), shown, QMessageBox::Ok,
                  this);
  box.setTextFormat(Qt::PlainText);  // the path is not markup
  box.exec();
}

void CMainFrame::ShowHelp() {
  m_openUrl(QUrl::fromLocalFile(QFile::decodeName(m_view->Paths().helpPath.c_str())));
}

// Most desktops say nothing when the page is missing or no browser is
// installed; the user would only see that nothing happened.
void CMainFrame::OpenHelpPage(const QUrl& url) {
  const QString path = url.toLocalFile();
  if (QFileInfo::exists(path) && QDesktopServices::openUrl(url)) return;
  QMessageBox box(QMessageBox::Warning, QStringLiteral("velmio"),
                  QStringLiteral("ヘルプファイルを開けませんでした。\n%1").arg(path),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void CMainFrame::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMainFrame::NewDocument() {
  m_view->OnNewDocument();
}

void CMainFrame::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(windowTitle());
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintViewPicture(printer);
}

void CMainFrame::PrintViewPicture(QPaintDevice& page) {
  const QImage picture = m_view->RenderToImage();
  if (picture.isNull()) return;
  QPainter painter(&page);
  const QRect area = painter.viewport();
  const QSize size = picture.size().scaled(area.size(), Qt::KeepAspectRatio);
  painter.setViewport(area.x(), area.y(), size.width(), size.height());
  painter.setWindow(picture.rect());
  painter.drawImage(0, 0, picture);
}

bool CMainFrame::AcceptsDrops() const {
  return m_view != nullptr && !m_view->IsDataBusy();
}

void CMainFrame::DropFiles(const QStringList& paths) {
  // Playing, paused or analysing: the data must not change under the job or the device.
  if (!AcceptsDrops() || paths.isEmpty()) return;
  m_view->OpenDropped(QFile::encodeName(paths.first()).toStdString());
  UpdateCommandStates();
}

void CMainFrame::OpenFromCommandLine(const QString& path) {
  DropFiles({QFileInfo(path).absoluteFilePath()});
}

void CMainFrame::RightClick(QPoint client, QPoint global) {
  if (!m_view->AcceptsLoopPopup()) return;
  m_loopClickPoint = client;
  m_loopMenu->popup(global);
}

}  // namespace velmio::ui
