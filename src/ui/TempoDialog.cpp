#include "ui/TempoDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "ui/UiFonts.h"
#include "view/TestView.h"

namespace velmio::ui {
namespace {

constexpr int kIdBeatsPerBar = 1000;
constexpr int kIdBeatUnit = 1001;
constexpr int kIdTempo = 1002;
constexpr int kIdStart = 1003;
constexpr int kIdOk = 1007;
constexpr int kIdCancel = 1009;
constexpr int kIdMessage = 1010;
constexpr int kIdEstimate = 1011;
constexpr QSize kDialogSize(186, 96);  // dialog units
// The edit boxes hand at most this many characters to the conversion.
constexpr int kEditChars = 511;

QRect Box(const DialogUnits& u, int x, int y, int w, int h) {
  return QRect(u.X(x), u.Y(y), u.X(w), u.Y(h));
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CTempoDlg::CTempoDlg(CTestView& view, QWidget* parent) : QDialog(parent), m_view(view) {
  setWindowTitle(QStringLiteral("テンポ、拍子の設定"));
  setFont(UiFont());
  setModal(false);
  CreateControls();
  Apply(m_view.TempoDialog());
}

void CTempoDlg::CreateControls() {
  const DialogUnits u = DialogUnitsOf(font());
  setFixedSize(u.X(kDialogSize.width()), u.Y(kDialogSize.height()));
  const auto label = [&](const QString& text, const QRect& box) {
    auto* l = new QLabel(text, this);
    l->setGeometry(box);
    return l;
  };
  label(QStringLiteral("テンポ"), Box(u, 10, 10, 40, 10));
  m_tempoEdit = new QLineEdit(this);
  m_tempoEdit->setGeometry(Box(u, 56, 8, 40, 13));
  label(QStringLiteral("拍子"), Box(u, 10, 28, 40, 10));
  m_beatsList = AddList({"2", "3", "4", "6"}, kIdBeatsPerBar, Box(u, 56, 26, 30, 13));
  label(QStringLiteral("／"), Box(u, 90, 28, 10, 10));
  m_unitList = AddList({"2", "4", "8"}, kIdBeatUnit, Box(u, 102, 26, 30, 13));
  label(QStringLiteral("開始時間"), Box(u, 10, 46, 44, 10));
  m_startEdit = new QLineEdit(this);
  m_startEdit->setGeometry(Box(u, 56, 44, 40, 13));
  label(QStringLiteral("ms"), Box(u, 100, 46, 16, 10));
  const std::pair<QLineEdit*, int> edits[] = {{m_tempoEdit, kIdTempo}, {m_startEdit, kIdStart}};
  for (auto [edit, id] : edits) {
    edit->setObjectName(QString::number(id));
    edit->setMaxLength(kEditChars);
    connect(edit, &QLineEdit::textEdited, this, [this] { HandEditsToView(); });
  }

  m_okButton = AddButton(QStringLiteral("OK"), kIdOk, Box(u, 140, 7, 38, 14));
  m_cancelButton = AddButton(QStringLiteral("Cancel"), kIdCancel, Box(u, 140, 25, 38, 14));
  m_estimateButton = AddButton(QStringLiteral("推定"), kIdEstimate, Box(u, 140, 43, 38, 14));
  connect(m_okButton, &QPushButton::clicked, this, [this] { m_view.OnTempoOk(); });
  connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_view.OnTempoCancel(); });
  connect(m_estimateButton, &QPushButton::clicked, this, [this] { m_view.OnTempoEstimate(); });

  m_message = label(QString(), Box(u, 10, 68, 170, 20));
  m_message->setObjectName(QString::number(kIdMessage));
  m_message->setWordWrap(true);
}

QComboBox* CTempoDlg::AddList(const QStringList& items, int id, const QRect& box) {
  auto* list = new QComboBox(this);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->addItems(items);
  list->setGeometry(box);
  list->setObjectName(QString::number(id));
  connect(list, &QComboBox::editTextChanged, this, [this] { HandEditsToView(); });
  return list;
}

QPushButton* CTempoDlg::AddButton(const QString& text, int id, const QRect& box) {
  auto* button = new QPushButton(text, this);
  button->setGeometry(box);
  button->setObjectName(QString::number(id));
  button->setAutoDefault(false);
  return button;
}

void CTempoDlg::Apply(const TempoDialogControls& controls) {
  {
    const QSignalBlocker blockTempo(m_tempoEdit), blockStart(m_startEdit);
    const QSignalBlocker blockBeats(m_beatsList), blockUnit(m_unitList);
    m_tempoEdit->setText(FromUtf8(controls.tempoText));
    m_startEdit->setText(FromUtf8(controls.startText));
    if (controls.beatsPerBarIndex != kNoSelection)
      m_beatsList->setCurrentIndex(controls.beatsPerBarIndex);
    if (controls.beatUnitIndex != kNoSelection) m_unitList->setCurrentIndex(controls.beatUnitIndex);
    m_message->setText(FromUtf8(controls.message));
  }
  const bool appearing = controls.visible && !isVisible();
  setVisible(controls.visible);
  if (appearing) {
    raise();
    activateWindow();
  }
}

TempoDialogControls CTempoDlg::Read() const {
  TempoDialogControls controls = m_view.TempoDialog();
  controls.tempoText = m_tempoEdit->text().toStdString();
  controls.startText = m_startEdit->text().toStdString();
  // Text typed into a list selects the item it spells, or none.
  controls.beatsPerBarIndex = m_beatsList->findText(m_beatsList->currentText(), Qt::MatchExactly);
  controls.beatUnitIndex = m_unitList->findText(m_unitList->currentText(), Qt::MatchExactly);
  return controls;
}

void CTempoDlg::HandEditsToView() {
  m_view.EditTempoDialog(Read());
}

void CTempoDlg::reject() {
  m_view.OnTempoCancel();
}

}  // namespace velmio::ui
