#include "ui/SettingDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/FileFilters.h"

namespace velmio::ui {
namespace {

constexpr const char* kNoteNames[12] = {"C_", "C#", "D_", "D#", "E_", "F_",
                                        "F#", "G_", "G#", "A_", "A#", "B_"};
constexpr int kVocalNotes = 37;  // C_2 ... C_5

int BinsIndex(int32_t bins) {
  return bins == 2 ? 1 : bins == 4 ? 2 : bins == 8 ? 3 : 0;
}

QComboBox* List(const QStringList& items) {
  auto* box = new QComboBox;
  box->addItems(items);
  return box;
}

// Radio buttons in a row; the group's ids are the values they stand for.
QWidget* Radios(QButtonGroup*& group, const QStringList& texts, QWidget* owner) {
  group = new QButtonGroup(owner);
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < texts.size(); ++i) {
    auto* button = new QRadioButton(texts[i]);
    group->addButton(button, i);
    layout->addWidget(button);
  }
  layout->addStretch();
  return row;
}

void Check(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) button->setChecked(true);
}

}  // namespace

CSettingDlg::CSettingDlg(const SettingsDialogValues& values,
                         std::function<bool(const std::string&)> checkDecoder, QWidget* parent)
    : QDialog(parent), m_values(values), m_checkDecoder(std::move(checkDecoder)) {
  setWindowTitle(QStringLiteral("設定"));
  auto* columns = new QHBoxLayout;
  columns->addWidget(MakeLeftColumn(), 1);
  auto* line = new QFrame;
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  columns->addWidget(line);
  columns->addWidget(MakeRightColumn(), 1);

  m_decoderLabel = new QLabel;
  m_decoderLabel->setObjectName(QStringLiteral("1077"));
  m_decoderLabel->setWordWrap(true);
  auto* decoderRow = new QHBoxLayout;
  decoderRow->addWidget(new QLabel(QStringLiteral("EcoDecoTooL.exeの場所")));
  auto* browse = new QPushButton(QStringLiteral("..."));
  browse->setObjectName(QStringLiteral("1076"));
  connect(browse, &QPushButton::clicked, this, [this] { BrowseDecoder(); });
  decoderRow->addWidget(browse);
  decoderRow->addStretch();

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSettingDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSettingDlg::reject);

  auto* page = new QVBoxLayout(this);
  page->addLayout(columns);
  page->addLayout(decoderRow);
  page->addWidget(m_decoderLabel);
  page->addWidget(buttons);
  ShowValues();
}

QWidget* CSettingDlg::MakeLeftColumn() {
  auto* column = new QWidget;
  auto* grid = new QGridLayout(column);
  auto* method = new QGroupBox(QStringLiteral("方式の選択"));
  auto* methodLayout = new QHBoxLayout(method);
  methodLayout->addWidget(
      Radios(m_window, {QStringLiteral("Constant-Q方式"), QStringLiteral("ZudoDovu方式")}, this));
  grid->addWidget(method, 0, 0, 1, 3);

  m_bins = List({"1", "2", "4", "8"});
  m_low = List({"C0", "C1", "C2", "C3", "C4"});
  m_high = List({"C6", "C7", "C8", "C9", "C10"});
  m_a4 = new QLineEdit;
  m_instrument = new QLineEdit;
  QStringList harmonics;
  for (int n = 2; n <= 8; ++n) harmonics << QString::number(n);
  m_harmonics = List(harmonics);
  int row = 1;
  auto add = [&](const QString& label, QWidget* field, const QString& note) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(field, row, 1);
    if (!note.isEmpty()) {
      auto* hint = new QLabel(note);
      hint->setWordWrap(true);
      grid->addWidget(hint, row, 2);
    }
    ++row;
  };
  // Named by their control ids, as the program's other dialogs are.
  m_bins->setObjectName(QStringLiteral("1004"));
  m_low->setObjectName(QStringLiteral("1000"));
  m_high->setObjectName(QStringLiteral("1001"));
  m_a4->setObjectName(QStringLiteral("1002"));
  m_instrument->setObjectName(QStringLiteral("1003"));
  m_harmonics->setObjectName(QStringLiteral("1008"));
  add(QStringLiteral("音階解析の精度"), m_bins, QStringLiteral("半音の何分の１まで分割するか"));
  add(QStringLiteral("表示音階の下限"), m_low, {});
  add(QStringLiteral("表示音階の上限"), m_high, {});
  add(QStringLiteral("A4の周波数"), m_a4, QStringLiteral("Hz"));
  add(QStringLiteral("MIDI出力のInstrument No"), m_instrument,
      QStringLiteral("Examples         1:Piano  25:Guitar 49:Strings  74:Flute"));
  add(QStringLiteral("倍音表示の数"), m_harmonics, {});
  add(QStringLiteral("表示色"),
      Radios(m_color, {QStringLiteral("グレースケール"), QStringLiteral("カラー")}, this), {});
  grid->setRowStretch(row, 1);
  return column;
}

QWidget* CSettingDlg::MakeRightColumn() {
  auto* column = new QWidget;
  auto* grid = new QGridLayout(column);
  QStringList notes;
  for (int i = 0; i < kVocalNotes; ++i)
    notes << QString::fromUtf8(kNoteNames[i % 12]) + QString::number(i / 12 + 2);
  m_vocalLowest = List(notes);
  m_vocalLowest->setObjectName(QStringLiteral("1009"));
  grid->addWidget(new QLabel(QStringLiteral("ボーカルカット")), 0, 0);
  grid->addWidget(
      Radios(m_vocal, {QStringLiteral("OFF"), QStringLiteral("カット"), QStringLiteral("抽出")},
             this),
      0, 1);
  grid->addWidget(new QLabel(QStringLiteral("ボーカルの最低音")), 1, 0);
  grid->addWidget(m_vocalLowest, 1, 1, Qt::AlignLeft);
  grid->addWidget(new QLabel(QStringLiteral("フォルマント抽出")), 2, 0);
  grid->addWidget(Radios(m_formant, {QStringLiteral("行わない"), QStringLiteral("行う")}, this), 2,
                  1);
  grid->addWidget(new QLabel(QStringLiteral("検出感度")), 3, 0);
  grid->addWidget(Radios(m_sensitivity,
                         {QStringLiteral("小"), QStringLiteral("中"), QStringLiteral("大")}, this),
                  3, 1);
  grid->setRowStretch(4, 1);
  return column;
}

void CSettingDlg::ShowValues() {
  const SettingsDialogValues& shown = m_values;
  m_bins->setCurrentIndex(BinsIndex(shown.m_binsPerSemitone));
  m_low->setCurrentIndex(shown.m_lowNote / 12);
  m_high->setCurrentIndex(shown.m_highNote / 12 - 6);
  m_harmonics->setCurrentIndex(shown.m_harmonicsCount - 2);
  m_vocalLowest->setCurrentIndex(shown.m_vocalLowestNote);
  Check(m_window, shown.m_windowMode);
  Check(m_color, shown.m_colorMap);
  Check(m_vocal, shown.m_vocalCutMode);
  Check(m_formant, shown.m_formantEnabled);
  Check(m_sensitivity, shown.m_formantSensitivity);
  m_a4->setText(QString::number(shown.m_a4Frequency));
  m_instrument->setText(QString::number(shown.m_midiInstrument));
  ShowDecoderPath();
}

void CSettingDlg::ShowDecoderPath() {
  const bool none = m_values.m_decoderPath == "none";
  m_decoderLabel->setText(none ? QStringLiteral("設定なし")
                               : QFile::decodeName(m_values.m_decoderPath.c_str()));
}

void CSettingDlg::ReadChoices() {
  SettingsDialogValues& shown = m_values;
  shown.m_binsPerSemitone = 1 << std::max(0, m_bins->currentIndex());
  shown.m_lowNote = m_low->currentIndex() * 12;
  shown.m_highNote = m_high->currentIndex() * 12 + 72;
  shown.m_windowMode = m_window->checkedId() == 1 ? 1 : 0;
  shown.m_harmonicsCount = m_harmonics->currentIndex() + 2;
  shown.m_colorMap = m_color->checkedId() == 1 ? 1 : 0;
  if (m_vocal->checkedId() >= 0) shown.m_vocalCutMode = m_vocal->checkedId();
  shown.m_formantEnabled = m_formant->checkedId() == 1 ? 1 : 0;
  if (m_sensitivity->checkedId() >= 0) shown.m_formantSensitivity = m_sensitivity->checkedId();
  shown.m_vocalLowestNote = m_vocalLowest->currentIndex();
}

// A field without an integer of its range keeps the dialog open on it.
bool CSettingDlg::ReadNumber(QLineEdit* field, int32_t low, int32_t high, int32_t& value) {
  const std::optional<int32_t> number = ReadDialogInteger(field->text().toStdString(), low, high);
  if (number) {
    value = *number;
    return true;
  }
  QString text = QString::fromStdString(DialogIntegerMessage(low, high));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox::warning(this, QStringLiteral("velmio"), text);
  field->setFocus();
  field->selectAll();
  return false;
}

void CSettingDlg::accept() {
  ReadChoices();
  if (!ReadNumber(m_a4, kLowestA4, kHighestA4, m_values.m_a4Frequency)) return;
  if (!ReadNumber(m_instrument, kFirstInstrument, kLastInstrument, m_values.m_midiInstrument))
    return;
  QDialog::accept();
}

void CSettingDlg::BrowseDecoder() {
  QFileDialog dialog(this, QStringLiteral("開く"));
  dialog.setNameFilter(ToQtFilter("EcoDecoTooL.exe|EcoDecoTooL.exe||"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  if (!m_checkDecoder || !m_checkDecoder(path)) return;
  m_values.m_decoderPath = path;
  ShowDecoderPath();
}

}  // namespace velmio::ui
