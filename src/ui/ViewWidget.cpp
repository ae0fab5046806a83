#include "ui/ViewWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <atomic>
#include <thread>

#include "ui/FileFilters.h"
#include "ui/ViewFrame.h"
#include "view/PaintPrimitives.h"
#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio::ui {
namespace {

constexpr QRgb kNoticeGrey = 0xff808080;
constexpr QRgb kNoticeYellow = 0xffffff00;
constexpr QRgb kNoticeBackground = 0xffffffff;
constexpr int kWheelNotch = 120;  // eighths of a degree

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The view's texts break lines with "\r\n".
QString MessageText(const std::string& text) {
  QString result = FromUtf8(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

}  // namespace

CViewWidget::CViewWidget(ViewFrame& frame, QWidget* parent)
    : QAbstractScrollArea(parent), m_frame(frame) {
  m_clock.start();
  viewport()->setMouseTracking(true);
  viewport()->setAcceptDrops(true);
  // The paint covers every pixel (waiting picture or the rendered image).
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAutoFillBackground(false);
  setFrameShape(QFrame::NoFrame);
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (m_view != nullptr) m_view->OnHScroll(value);
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (m_view != nullptr) m_view->OnVScroll(value);
  });
  UpdateScrollBars();
}

CViewWidget::~CViewWidget() = default;

void CViewWidget::Attach(CTestView* view) {
  m_view = view;
  if (view == nullptr) {
    for (auto& entry : m_timers) entry.second->stop();
  }
  viewport()->update();
}

MessageAnswer CViewWidget::ShowMessage(const std::string& text, MessageButtons buttons) {
  const bool question = buttons == MessageButtons::kYesNo;
  QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, QStringLiteral("velmio"),
                  MessageText(text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, window());
  box.setTextFormat(Qt::PlainText);  // file names are not markup
  const int answer = box.exec();
  if (!question) return MessageAnswer::kOk;
  return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

MessageAnswer CViewWidget::AskQuestion(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), MessageText(text),
                  QMessageBox::Yes | QMessageBox::No, window());
  box.setTextFormat(Qt::PlainText);
  return box.exec() == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

std::optional<std::string> CViewWidget::AskOpenPath(const std::string& filter,
                                                    const std::string& defaultExtension) {
  return AskPath(false, filter, defaultExtension);
}

std::optional<std::string> CViewWidget::AskSavePath(const std::string& filter,
                                                    const std::string& defaultExtension) {
  return AskPath(true, filter, defaultExtension);
}

std::optional<std::string> CViewWidget::AskPath(bool save, const std::string& filter,
                                                const std::string& defaultExtension) {
  QFileDialog dialog(window(), save ? QStringLiteral("名前を付けて保存") : QStringLiteral("開く"));
  dialog.setNameFilter(ToQtFilter(filter));
  dialog.setDefaultSuffix(FromUtf8(defaultExtension));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  // File names in their on-disk bytes, which is what the file layers open.
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void CViewWidget::SetStatusText(int pane, const std::string& text) {
  m_frame.SetStatusText(pane, FromUtf8(text));
}

void CViewWidget::SetControlText(int controlId, const std::string& text) {
  m_frame.SetControlText(controlId, FromUtf8(text));
}

void CViewWidget::SetLegendImage(const QImage& legend) {
  m_frame.SetLegendImage(legend);
}

int CViewWidget::LegendHeight() const {
  return m_frame.LegendHeight();
}

void CViewWidget::SetWindowTitle(const std::string& title) {
  m_frame.SetFrameTitle(FromUtf8(title));  // empty: nothing loaded, the frame's own title
}

void CViewWidget::ShowNotice(const std::string& text) {
  // Painted now: the open flow keeps the UI thread busy until it returns.
  // Only this paint shows it; a window not yet on screen skips it, and any
  // later paint shows the view again.
  m_notice = FromUtf8(text);
  m_lastNotice = m_notice;
  viewport()->repaint();
  m_notice.clear();
}

bool CViewWidget::RunWhileShowingNotice(const std::function<void()>& work,
                                        const std::function<void()>& cancel) {
  QEventLoop loop;
  std::atomic<bool> done{false};
  m_notice = m_lastNotice;
  viewport()->update();
  std::thread worker([&] {
    work();
    done.store(true);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  // Paints, timers and the window's close still run; clicks and keys wait.
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  // The loop also ends when the application quits (its last window closed):
  // the work must not outlive the view it writes for.
  const bool cancelled = !done.load();
  if (cancelled) cancel();
  worker.join();
  m_notice.clear();
  viewport()->update();
  return !cancelled;
}

void CViewWidget::Invalidate() {
  viewport()->update();
}

void CViewWidget::SetScrollSizes(const ScrollSizes& sizes) {
  m_sizes = sizes;
  UpdateScrollBars();
}

// The last page ends at the content's edge, as the view's scroll model expects.
void CViewWidget::UpdateScrollBars() {
  const QSize client = viewport()->size();
  QScrollBar* h = horizontalScrollBar();
  QScrollBar* v = verticalScrollBar();
  h->setRange(0, std::max(0, m_sizes.contentWidth - client.width()));
  h->setPageStep(std::max(1, m_sizes.pageX));
  h->setSingleStep(std::max(1, m_sizes.lineX));
  v->setRange(0, std::max(0, m_sizes.contentHeight - client.height()));
  v->setPageStep(std::max(1, m_sizes.pageY));
  v->setSingleStep(std::max(1, m_sizes.lineY));
}

ScrollPoint CViewWidget::GetScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CViewWidget::ScrollTo(ScrollPoint position) {
  horizontalScrollBar()->setValue(position.x);
  verticalScrollBar()->setValue(position.y);
  viewport()->update();
}

ClientSize CViewWidget::GetClientSize() const {
  return {viewport()->width(), viewport()->height()};
}

void CViewWidget::StartTimer(int id, int milliseconds) {
  QTimer*& timer = m_timers[id];
  if (timer == nullptr) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] {
      if (m_view != nullptr) m_view->OnTimer(id);
    });
  }
  timer->start(milliseconds);
}

void CViewWidget::StopTimer(int id) {
  const auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

bool CViewWidget::IsTimerActive(int id) const {
  const auto it = m_timers.find(id);
  return it != m_timers.end() && it->second->isActive();
}

void CViewWidget::CommandStatesChanged() {
  m_frame.CommandStatesChanged();
}

void CViewWidget::TempoDialogChanged(const TempoDialogControls& controls) {
  m_frame.TempoDialogChanged(controls);
}

void CViewWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  if (!m_notice.isEmpty()) {
    DrawNotice(painter);
    return;
  }
  if (m_view == nullptr) {
    painter.fillRect(viewport()->rect(), QColor::fromRgb(kNoticeGrey));
    return;
  }
  m_view->DrawView(painter);
}

void CViewWidget::DrawNotice(QPainter& painter) {
  const int width = viewport()->width();
  const int height = viewport()->height();
  FillBox(painter, 0, 0, width, height, kNoticeGrey);
  painter.setFont(QFont());  // the window's default face, like the progress text
  DrawLabel(painter, width / 2 - 50, height / 2 - 20, m_notice, int(m_notice.size()), kNoticeYellow,
            kNoticeBackground);
}

void CViewWidget::resizeEvent(QResizeEvent* /*event*/) {
  UpdateScrollBars();
  if (m_view != nullptr) m_view->OnSize(viewport()->width(), viewport()->height());
}

// The picture is rendered for each scroll position; moving pixels would only
// be drawn over again.
void CViewWidget::scrollContentsBy(int /*dx*/, int /*dy*/) {
  viewport()->update();
}

void CViewWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (m_view != nullptr) m_view->OnMouseMove(p.x(), p.y());
  QAbstractScrollArea::mouseMoveEvent(event);
}

void CViewWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && m_view != nullptr) m_view->OnLButtonDown(p.x(), p.y());
  const bool inRuler = p.y() < kRulerHeight && p.x() >= kKeyboardWidth;
  m_rulerDragX = event->button() == Qt::LeftButton && inRuler ? p.x() : -1;
  if (event->button() == Qt::RightButton) m_frame.RightClick(p, event->globalPosition().toPoint());
  QAbstractScrollArea::mousePressEvent(event);
}

void CViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && m_view != nullptr) m_view->OnLButtonDblClk(p.x(), p.y());
  QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CViewWidget::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && m_rulerDragX >= 0 && m_view != nullptr)
    m_view->SelectLoopRange(m_rulerDragX, p.x());
  if (event->button() == Qt::LeftButton) m_rulerDragX = -1;
  m_frame.CommandStatesChanged();
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void CViewWidget::wheelEvent(QWheelEvent* event) {
  const bool zoom = event->modifiers() & Qt::ControlModifier;
  const bool time = (event->modifiers() & Qt::ShiftModifier) ||
                    (event->angleDelta().y() == 0 && event->angleDelta().x() != 0);
  if (m_view == nullptr || (!zoom && !time)) {
    QAbstractScrollArea::wheelEvent(event);
    return;
  }
  // Some systems turn Shift+wheel into a sideways wheel: either delta counts.
  const QPoint delta = event->angleDelta();
  m_wheelRemainder += delta.y() != 0 ? delta.y() : delta.x();
  const int notches = m_wheelRemainder / kWheelNotch;
  m_wheelRemainder -= notches * kWheelNotch;
  if (notches != 0) {
    if (zoom) {
      m_view->ZoomWheel(notches, static_cast<int32_t>(event->position().x()));
    } else {
      m_view->ScrollTimeWheel(-notches);  // wheel down (negative) goes later
    }
    m_frame.CommandStatesChanged();
  }
  event->accept();
}

void CViewWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && m_frame.AcceptsDrops()) event->acceptProposedAction();
}

void CViewWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls() && m_frame.AcceptsDrops()) event->acceptProposedAction();
}

void CViewWidget::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    paths << (url.isLocalFile() ? url.toLocalFile() : QString());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  m_frame.DropFiles(paths);
}

}  // namespace velmio::ui
