#include "ui/MainFrame.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "ui/CommandIds.h"
#include "ui/CompactToolStyle.h"
#include "ui/EqualizerDialog.h"
#include "ui/MiscDialogBar.h"
#include "ui/TempoDialog.h"
#include "ui/SettingDialog.h"
#include "ui/ToolbarIcons.h"
#include "ui/UiFonts.h"
#include "ui/ViewWidget.h"
#include "ui/VoiceConversionDialog.h"
#include "view/TestView.h"

namespace velmio::ui {
namespace {

constexpr QPoint kFramePosition(100, 100);
constexpr QSize kFrameSize(620, 432);
// Toolbar buttons may be missed by the change notices (a job finishing on its
// own thread); a cheap refresh keeps them current regardless.
constexpr int kRefreshMilliseconds = 250;
constexpr char kInitialTitle[] = "無題 - velmio";
constexpr char kPositionPaneWidthText[] = " 00:00.0 / 00:00.0";
constexpr char kPositionPaneInitialText[] = "  0:00.0 / 0:00.0";
// The longest text pane 0 shows after an analysis.
constexpr char kWidestMessageText[] = "処理時間  000.0 秒  (2ch 24bit 192000Hz)";
// One octave of the picture under the ruler, and a little more than the keyboard.
constexpr int kMinimumViewHeight = 16 + 8 * 12 + 20;
constexpr int kMinimumViewWidth = 40 + 160;
constexpr int kFrameAllowance = 24;  // the window manager's borders
constexpr char kReadOutPaneWidthText[] = "C#10 − 50¢ 20000.0 Hz  10:00.000  −100 dB";

}  // namespace

CMainFrame::CMainFrame(ProgramPaths paths, MidiOut* midi, WaveOutDevice& waveOut)
    : m_openUrl([this](const QUrl& url) { OpenHelpPage(url); }) {
  setFont(UiFont());
  setWindowIcon(ApplicationIcon());
  setWindowTitle(QString::fromUtf8(kInitialTitle));
  m_viewWidget = new CViewWidget(*this, this);
  setCentralWidget(m_viewWidget);
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateStatusBar();
  m_view = std::make_unique<CTestView>(*m_viewWidget, std::move(paths), midi, waveOut);
  m_viewWidget->Attach(m_view.get());
  m_viewWidget->SetScrollSizes(ScrollSizes{});
  m_view->OnInitialUpdate();
  m_tempoDialog = new CTempoDlg(*m_view, this);
  InstallHandlers();
  m_refreshTimer = new QTimer(this);
  connect(m_refreshTimer, &QTimer::timeout, this, [this] { UpdateCommandStates(); });
  m_refreshTimer->start(kRefreshMilliseconds);
  move(kFramePosition);
  SetMinimumFrameSize();
  resize(kFrameSize);
  m_outerSize = kFrameSize;
  UpdateCommandStates();
  // The window manager's frame is known once the window is shown.
  QTimer::singleShot(0, this, [this] { MatchOuterSize(); });
}

CMainFrame::~CMainFrame() {
  // The view writes its settings and stops its job; it must go while the
  // widgets it reports to still exist, and the widget must not call it after.
  m_refreshTimer->stop();
  SavePlaces();
  m_viewWidget->Attach(nullptr);
  // The equalizer window refers to the view's bank.
  delete m_eqDialog;
  m_eqDialog = nullptr;
  delete m_tempoDialog;
  m_tempoDialog = nullptr;
  delete m_vcDialog;
  m_vcDialog = nullptr;
  m_view.reset();
}

void CMainFrame::SetMinimumFrameSize() {
  const QFontMetrics metrics(m_statusPanes[0]->font());
  int panes = metrics.horizontalAdvance(QString::fromUtf8(kWidestMessageText)) + 16;
  for (const QLabel* pane : m_statusPanes) {
    if (pane != m_statusPanes[0]) panes += pane->minimumWidth() + 12;
  }
  // The bars may be cut at the right, as at the window's usual size; their
  // height is what must stay.
  int height =
      menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + kMinimumViewHeight;
  for (const QToolBar* bar : findChildren<QToolBar*>()) height += bar->sizeHint().height();
  // Never above the window's usual outer size (less its frame), which the
  // layout is made for.
  setMinimumSize(std::clamp(panes, kMinimumViewWidth, kFrameSize.width() - kFrameAllowance),
                 height);
}

void CMainFrame::RefreshIcons() {
  for (const auto& [id, action] : m_actions) action->setIcon(CommandIcon(id));
}

void CMainFrame::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
    RefreshIcons();
  QMainWindow::changeEvent(event);
}

// 620 x 432 is the outer size, frame included.
void CMainFrame::MatchOuterSize() {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (m_outerSize.isEmpty()) return;
  if (frame.width() > 0 || frame.height() > 0) resize(m_outerSize - frame);
}

void CMainFrame::CreateActions() {
  for (const CommandEntry& entry : CommandEntries()) {
    const PromptParts prompt = SplitPrompt(entry.prompt);
    auto* action = new QAction(this);
    action->setText(QString::fromUtf8(entry.menuText != nullptr ? entry.menuText : ""));
    action->setStatusTip(QString::fromStdString(prompt.prompt));
    // A command without its own tool tip shows its prompt: no button is unexplained.
    action->setToolTip(
        QString::fromStdString(prompt.toolTip.empty() ? prompt.prompt : prompt.toolTip));
    action->setIcon(CommandIcon(entry.id));
    action->setIconVisibleInMenu(false);
    action->setCheckable(entry.checkable);
    if (entry.shortcut != nullptr)
      action->setShortcut(QKeySequence(QString::fromLatin1(entry.shortcut)));
    const int id = entry.id;
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_actions[id] = action;
    // Accelerators without a menu item or button still need a place to live.
    if (entry.menu == MenuPlace::kNone) addAction(action);
  }
}

void CMainFrame::CreateMenus() {
  const std::pair<MenuPlace, const char*> menus[] = {{MenuPlace::kFile, "ファイル(&F)"},
                                                     {MenuPlace::kView, "表示(&V)"},
                                                     {MenuPlace::kPlay, "演奏"},
                                                     {MenuPlace::kHelp, "ヘルプ(&H)"}};
  for (const auto& [place, title] : menus) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(title));
    if (place == MenuPlace::kFile) m_fileMenu = menu;
    connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
    for (const CommandEntry& entry : CommandEntries()) {
      if (entry.menu != place) continue;
      if (entry.separatorBefore) menu->addSeparator();
      menu->addAction(m_actions.at(entry.id));
    }
  }
  m_loopMenu = new QMenu(QStringLiteral("ループ再生制御"), this);
  m_loopMenu->addAction(m_actions.at(kCmdLoopStart));
  m_loopMenu->addAction(m_actions.at(kCmdLoopEnd));
  connect(m_loopMenu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
}

void CMainFrame::CreateToolBars() {
  QToolBar* tools = addToolBar(QStringLiteral("ツールバー"));
  tools->setObjectName(QStringLiteral("toolbar"));
  tools->setIconSize(QSize(20, 20));
  tools->setMovable(true);
  tools->setFloatable(true);
  auto* compact = new CompactToolStyle;
  compact->setParent(this);
  tools->setStyle(compact);
  for (int id : ToolbarLayout()) {
    if (id == 0) {
      tools->addSeparator();
    } else {
      tools->addAction(m_actions.at(id));
      tools->widgetForAction(m_actions.at(id))->setStyle(compact);
    }
  }
  CreateZoomToolBar();
  addToolBarBreak(Qt::TopToolBarArea);
  QToolBar* bar = addToolBar(QStringLiteral("ダイアログバー"));
  bar->setObjectName(QStringLiteral("dialogbar"));
  bar->setMovable(false);
  m_dialogBar = new CMiscDialogBar(bar);
  bar->addWidget(m_dialogBar);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* status = statusBar();
  status->setFont(UiFont());
  for (QLabel*& pane : m_statusPanes) {
    pane = new QLabel(status);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  m_statusPanes[1]->setMinimumWidth(m_statusPanes[1]->fontMetrics().horizontalAdvance(
                                        QString::fromLatin1(kPositionPaneWidthText)) +
                                    8);
  m_statusPanes[1]->setText(QString::fromLatin1(kPositionPaneInitialText));
  m_statusPanes[2]->setMinimumWidth(
      m_statusPanes[2]->fontMetrics().horizontalAdvance(QString::fromUtf8(kReadOutPaneWidthText)) +
      8);
  status->addWidget(m_statusPanes[0], 1);
  status->addPermanentWidget(m_statusPanes[2]);
  status->addPermanentWidget(m_statusPanes[1]);
}

// 設定: the view's values in, and after OK applied by the view.
void CMainFrame::ShowSettings() {
  CSettingDlg dialog(
      m_view->SettingsForDialog(),
      [this](const std::string& path) { return m_view->CheckDecoder(path); }, this);
  if (dialog.exec() != QDialog::Accepted) return;
  m_view->ApplySettingsDialog(dialog.Values());
  UpdateCommandStates();
}

void CMainFrame::InstallHandlers() {
  CTestView& v = *m_view;
  SetCommandHandler(kCmdFileOpen, [&v] { v.OnFileOpen(); });
  SetCommandHandler(kCmdOpenAnalysisData, [&v] { v.OnOpenAnalysisFile(); });
  SetCommandHandler(kCmdSaveAnalysisData, [&v] { v.SaveAnalysisFile(); });
  SetCommandHandler(kCmdSettings, [this] { ShowSettings(); });
  SetCommandHandler(kCmdGainUp, [&v] { v.OnGainUp(); });
  SetCommandHandler(kCmdGainDown, [&v] { v.OnGainDown(); });
  SetCommandHandler(kCmdRangeUp, [&v] { v.OnRangeUp(); });
  SetCommandHandler(kCmdRangeDown, [&v] { v.OnRangeDown(); });
  SetCommandHandler(kCmdHarmonics, [&v] { v.OnToggleHarmonics(); });
  SetCommandHandler(kCmdWaveform, [&v] { v.OnToggleWaveform(); });
  SetCommandHandler(kCmdPitch, [&v] { v.OnTogglePitch(); });
  SetCommandHandler(kCmdGrid, [&v] { v.OnToggleGrid(); });
  SetCommandHandler(kCmdBarDisplay, [&v] { v.OnBarDisplay(); });
  SetCommandHandler(kCmdConditions, [this] { ShowAnalysisConditions(); });
  SetCommandHandler(kCmdHelp, [this] { ShowHelp(); });
  SetCommandHandler(kCmdAbout, [this] { ShowAbout(); });
  SetCommandHandler(kCmdExit, [this] { close(); });
  SetCommandHandler(kCmdNewDocument, [this] { NewDocument(); });
  SetCommandHandler(kCmdPrint, [this] { Print(); });
  InstallPlaybackHandlers();
  InstallNavigationHandlers();
  SetCommandHandler(kCmdEqualizer, [this] { ToggleEqualizer(); });
  SetCommandHandler(kCmdOpenSingleVoice, [this] { OpenVoiceDialog(); });
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler) {
  if (handler) {
    m_handlers[id] = std::move(handler);
  } else {
    m_handlers.erase(id);
  }
  UpdateCommandStates();
}

void CMainFrame::RunCommand(int id) {
  // Re-checked here: an accelerator must not run a command its rule disables,
  // even between two refreshes of the buttons.
  const auto handler = m_handlers.find(id);
  if (m_view != nullptr && handler != m_handlers.end() && EvaluateRule(id, ReadContext()).enabled) {
    handler->second();
  }
  if (m_view != nullptr) UpdateCommandStates();
}

CommandContext CMainFrame::ReadContext() const {
  CommandContext c;
  static_cast<ViewStatus&>(c) = m_view->Status();
  c.eqVisible = m_eqDialog != nullptr && m_eqDialog->isVisible();
  c.voiceConversionOpen = m_view->VoiceDialog().IsOpen();
  return c;
}

void CMainFrame::UpdateCommandStates() {
  if (m_view == nullptr) return;
  const CommandContext context = ReadContext();
  if (m_vcDialog == nullptr && m_view->VoiceDialog().IsOpen()) ShowVoiceWindow();
  if (m_vcDialog != nullptr) m_vcDialog->Sync();
  for (const auto& [id, action] : m_actions) {
    const CommandStatus status = EvaluateRule(id, context);
    action->setEnabled(status.enabled && HasCommandHandler(id));
    if (action->isCheckable()) action->setChecked(status.checked);
  }
  m_dialogBar->ShowStretch(m_view->PlaybackStretch());
}

QAction* CMainFrame::Action(int id) const {
  const auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

QString CMainFrame::StatusText(int pane) const {
  return pane >= 0 && pane < 3 ? m_statusPanes[pane]->text() : QString();
}

void CMainFrame::SetStatusText(int pane, const QString& text) {
  if (pane >= 0 && pane < 3) m_statusPanes[pane]->setText(text);
}

void CMainFrame::SetControlText(int controlId, const QString& text) {
  m_dialogBar->SetControlText(controlId, text);
}

void CMainFrame::SetLegendImage(const QImage& legend) {
  m_dialogBar->SetLegendImage(legend);
}

int CMainFrame::LegendHeight() const {
  return m_dialogBar->LegendHeight();
}

void CMainFrame::SetFrameTitle(const QString& title) {
  setWindowTitle(title.isEmpty() ? QString::fromUtf8(kInitialTitle) : title);
}

}  // namespace velmio::ui
