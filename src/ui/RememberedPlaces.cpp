// What the window remembers between sessions: its size and place, the zoom,
// the recent files of the File menu and the file dialogs' folders.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>

#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/WindowPreferences.h"
#include "view/TestView.h"

namespace velmio::ui {
namespace {

// Large enough to show the piano roll and a stretch of music.
constexpr QSize kFirstWindowSize(1100, 700);

}  // namespace

void CMainFrame::UsePreferences(CWindowPreferences* preferences) {
  m_preferences = preferences;
  if (preferences == nullptr) return;
  const QByteArray geometry = preferences->WindowGeometry();
  if (!geometry.isEmpty() && restoreGeometry(geometry)) {
    m_outerSize = QSize();  // as it was left, frame and all
  } else {
    QSize size = kFirstWindowSize;
    if (const QScreen* screen = this->screen()) {
      const QRect available = screen->availableGeometry();
      size = size.boundedTo(available.size());
      move(available.topLeft() + QPoint((available.width() - size.width()) / 2,
                                        (available.height() - size.height()) / 2));
    }
    m_outerSize = size;
    resize(size);
  }
  if (const std::optional<int> step = preferences->ZoomStep()) m_view->SetZoomStep(*step);
  if (const auto playback = preferences->Playback()) {
    StretchSettings stretch;
    stretch.speedPercent = playback->speedPercent;
    stretch.semitones = playback->semitones;
    stretch.cents = playback->cents;
    m_view->SetPlaybackStretch(stretch);  // brought into range there
  }
  RebuildRecentFilesMenu();
  UpdateCommandStates();
}

void CMainFrame::SavePlaces() {
  if (m_preferences == nullptr || m_view == nullptr) return;
  m_preferences->SetWindowGeometry(saveGeometry());
  m_preferences->SetZoomStep(m_view->ZoomStep());
  const StretchSettings& stretch = m_view->PlaybackStretch();
  m_preferences->SetPlayback({stretch.speedPercent, stretch.semitones, stretch.cents});
  m_preferences->Sync();
}

void CMainFrame::FileOpened(const QString& path) {
  if (m_preferences == nullptr) return;
  m_preferences->AddRecentFile(QFileInfo(path).absoluteFilePath());
  m_preferences->Sync();
  RebuildRecentFilesMenu();
}

QString CMainFrame::LastFolder(const QString& dialog) const {
  return m_preferences != nullptr ? m_preferences->LastFolder(dialog) : QString();
}

void CMainFrame::SetLastFolder(const QString& dialog, const QString& folder) {
  if (m_preferences != nullptr) m_preferences->SetLastFolder(dialog, folder);
}

void CMainFrame::RebuildRecentFilesMenu() {
  if (m_recentMenu == nullptr) {
    m_recentMenu = new QMenu(QStringLiteral("最近使ったファイル"), this);
    m_fileMenu->insertMenu(m_actions.at(kCmdExit), m_recentMenu);
  }
  m_recentMenu->clear();
  const QStringList files = m_preferences != nullptr ? m_preferences->RecentFiles() : QStringList();
  for (int i = 0; i < files.size(); ++i) {
    const QString path = files.at(i);
    QString shown = QDir::toNativeSeparators(path);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
    connect(item, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
  }
  m_recentMenu->setEnabled(!files.isEmpty());
}

// Opened as a dropped file would be; while playing or analysing, ignored.
void CMainFrame::OpenRecentFile(const QString& path) {
  if (!AcceptsDrops()) return;
  if (!QFileInfo::exists(path)) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("velmio"),
                    QStringLiteral("ファイルが見つかりません。\n%1").arg(path), QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    m_preferences->RemoveRecentFile(path);
    RebuildRecentFilesMenu();
    return;
  }
  DropFiles({path});
}

}  // namespace velmio::ui
