#pragma once
// The main window: menus, toolbar, dialog bar, status bar and the scrolling
// view as its client area. It owns the view object CTestView, keeps every
// command's enabled and checked state current, and routes the commands from
// the menus, the toolbar and the accelerators to the view.
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>

#include "ui/CommandTable.h"
#include "ui/ViewFrame.h"
#include "view/ProgramPaths.h"

class QLabel;
class QMenu;
class QPaintDevice;
class QTimer;
class QUrl;

namespace velmio {
class CTestView;
class MidiOut;
class WaveOutDevice;
}  // namespace velmio

namespace velmio::ui {

class CEQdlg;
class CWindowPreferences;
class CTempoDlg;
class CVCdlg;
class CMiscDialogBar;
class CViewWidget;

class CMainFrame : public QMainWindow, private ViewFrame {
 public:
  // Builds the window at (100, 100), 620 x 432, and the view with its settings
  // from `paths`. `midi` may be null (no synthesizer); it and the sound
  // output `waveOut` must outlive the frame.
  CMainFrame(ProgramPaths paths, MidiOut* midi, WaveOutDevice& waveOut);
  ~CMainFrame() override;

  // Runs command `id` as the menu, toolbar or an accelerator would: ignored
  // while its rule disables it or while it has no handler.
  void RunCommand(int id);
  // Gives command `id` its work; a command without a handler stays disabled.
  void SetCommandHandler(int id, std::function<void()> handler);
  bool HasCommandHandler(int id) const { return m_handlers.count(id) != 0; }
  // Re-evaluates every command's rule into its menu item and toolbar button.
  void UpdateCommandStates();
  // The state the rules read now.
  CommandContext ReadContext() const;

  // Remembers the window's places in `preferences` from now on (it must
  // outlive the frame): restores size and position (the first time a size
  // that shows the piano roll), the zoom, and the recent files of the File
  // menu; stores them again when the frame goes.
  void UsePreferences(CWindowPreferences* preferences);
  QMenu* RecentFilesMenu() const { return m_recentMenu; }

  // A file named on the command line: opened as a dropped file would be.
  void OpenFromCommandLine(const QString& path);
  // Opens help pages; the desktop's handler unless replaced (tests).
  void SetUrlOpener(std::function<void(const QUrl&)> opener) { m_openUrl = std::move(opener); }
  // Paints the view's picture on `page` (a printer), scaled to fit its area.
  void PrintViewPicture(QPaintDevice& page);

  QAction* Action(int id) const;
  CTestView& View() { return *m_view; }
  CViewWidget& ViewWidget() { return *m_viewWidget; }
  CMiscDialogBar& DialogBar() { return *m_dialogBar; }
  CTempoDlg& TempoDialog() { return *m_tempoDialog; }
  QString StatusText(int pane) const;
  // Client point of the right click that opened the loop popup.
  QPoint LoopClickPoint() const { return m_loopClickPoint; }

 private:
  // ViewFrame
  void SetStatusText(int pane, const QString& text) override;
  void SetControlText(int controlId, const QString& text) override;
  void SetLegendImage(const QImage& legend) override;
  int LegendHeight() const override;
  void SetFrameTitle(const QString& title) override;
  void CommandStatesChanged() override { UpdateCommandStates(); }
  bool AcceptsDrops() const override;
  void DropFiles(const QStringList& paths) override;
  void RightClick(QPoint client, QPoint global) override;
  void TempoDialogChanged(const TempoDialogControls& controls) override;
  void FileOpened(const QString& path) override;
  QString LastFolder(const QString& dialog) const override;
  void SetLastFolder(const QString& dialog, const QString& folder) override;

  void RebuildRecentFilesMenu();
  void OpenRecentFile(const QString& path);
  void SavePlaces();

  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreateStatusBar();
  void InstallHandlers();
  void InstallPlaybackHandlers();
  void InstallNavigationHandlers();
  void CreateZoomToolBar();
  // The equalizer window: made on the first show, then shown or hidden.
  void ToggleEqualizer();
  // 単音のWavファイルを開く: the voice-conversion window, at most one.
  void OpenVoiceDialog();
  void ShowVoiceWindow();
  // The space bar: PLAY when it is enabled, else STOP when that is.
  void PlayOrStop();
  void MatchOuterSize();
  // Keeps the status panes, the bars and a strip of the picture readable.
  void SetMinimumFrameSize();
  // Redraws the toolbar icons in the current palette's colours.
  void RefreshIcons();
  void changeEvent(QEvent* event) override;

  // The shell's own commands.
  void ShowAnalysisConditions();
  void ShowHelp();
  // The desktop's handler opens the page; a missing page or a desktop
  // without a handler is said in a message box.
  void OpenHelpPage(const QUrl& url);
  void ShowAbout();
  void ShowSettings();
  void NewDocument();
  void Print();

  std::map<int, QAction*> m_actions;
  std::map<int, std::function<void()>> m_handlers;
  std::function<void(const QUrl&)> m_openUrl;
  CMiscDialogBar* m_dialogBar = nullptr;
  CViewWidget* m_viewWidget = nullptr;
  // Prompts and progress, position and length, the read-out at the mouse.
  QLabel* m_statusPanes[3] = {nullptr, nullptr, nullptr};
  QMenu* m_loopMenu = nullptr;
  QPoint m_loopClickPoint;  // client point of the right click, for the loop commands
  QTimer* m_refreshTimer = nullptr;
  CWindowPreferences* m_preferences = nullptr;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_recentMenu = nullptr;
  QSize m_outerSize;  // the size the frame takes once shown, frame included; empty: none
  std::unique_ptr<CTestView> m_view;
  // Edits the view's equalizer bank; goes before the view does.
  CEQdlg* m_eqDialog = nullptr;
  // Calls the view's tempo verbs; made hidden with the view, goes before it.
  CTempoDlg* m_tempoDialog = nullptr;
  // Shows the view's voice-conversion state; deleted once the view lets it go.
  CVCdlg* m_vcDialog = nullptr;
};

}  // namespace velmio::ui
