#include "ui/VoiceConversionDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "audio/NoteNames.h"
#include "ui/EqualizerControls.h"
#include "view/TestView.h"

namespace velmio::ui {
namespace {

// The fixed-pitch Japanese face, so that the read-outs line up by digit.
QFont FixedFont() {
  QFont font;
  font.setFamilies(QStringList{"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP"});
  font.setStyleHint(QFont::Monospace);
  return font;
}

QComboBox* MakeNoteList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  for (int32_t note = 0; note < kVoiceNoteCount; ++note)
    list->addItem(QString::fromStdString(VoiceNoteName(note)));
  return list;
}

QSlider* MakeSlider(int limit, QWidget* parent) {
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(-limit, limit);
  slider->setTickPosition(QSlider::TicksBothSides);
  slider->setTickInterval(limit / 2);
  slider->setPageStep(limit / 4);
  slider->setMinimumWidth(240);
  return slider;
}

// The list's selection; typed text that names one of the 97 notes selects it,
// other text leaves no valid index (-1, which keeps the previous range).
int32_t Selection(const QComboBox* list) {
  const int32_t typed = ParseVoiceNote(list->currentText().trimmed().toStdString());
  return typed >= 0 ? typed : list->currentIndex();
}

}  // namespace

CVCdlg::CVCdlg(CTestView& view, std::function<void()> closed, QWidget* parent)
    : QDialog(parent), m_view(view), m_closed(std::move(closed)) {
  setWindowTitle(QStringLiteral("TD-PSOLAによるピッチ検出とピッチ変換の設定"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeRangeGroup());
  layout->addWidget(MakeAdjustGroup());
  layout->addWidget(MakePresetGroup());
  layout->addWidget(MakeFileButtons());
  Sync();
}

QWidget* CVCdlg::MakeRangeGroup() {
  auto* group = new QGroupBox(QStringLiteral("ボーカルの音域"), this);
  auto* grid = new QGridLayout(group);
  m_lowList = MakeNoteList(group);
  m_highList = MakeNoteList(group);
  grid->addWidget(new QLabel(QStringLiteral("最低音"), group), 0, 0);
  grid->addWidget(m_lowList, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("最高音"), group), 0, 2);
  grid->addWidget(m_highList, 0, 3);
  for (QComboBox* list : {m_lowList, m_highList}) {
    connect(list, &QComboBox::currentIndexChanged, this, [this] { SendSetting(); });
    connect(list, &QComboBox::editTextChanged, this, [this] { SendSetting(); });
  }
  return group;
}

QWidget* CVCdlg::MakeAdjustGroup() {
  auto* group = new QGroupBox(QStringLiteral("声の高さと性質の調整"), this);
  auto* grid = new QGridLayout(group);
  m_pitchSlider = MakeSlider(kPitchPositionLimit, group);
  m_formantSlider = MakeSlider(kFormantPositionLimit, group);
  m_pitchLabel = new QLabel(group);
  m_formantLabel = new QLabel(group);
  for (QLabel* label : {m_pitchLabel, m_formantLabel}) {
    label->setFont(FixedFont());
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("400% (+24.0)")));
  }
  grid->addWidget(new QLabel(QStringLiteral("Pitch"), group), 0, 0);
  grid->addWidget(m_pitchSlider, 0, 1);
  grid->addWidget(m_pitchLabel, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Formant"), group), 1, 0);
  grid->addWidget(m_formantSlider, 1, 1);
  grid->addWidget(m_formantLabel, 1, 2);
  for (QSlider* slider : {m_pitchSlider, m_formantSlider})
    connect(slider, &QSlider::valueChanged, this, [this] { SendSetting(); });
  auto* fixed = new QHBoxLayout;
  m_maleToFemale = new QPushButton(QStringLiteral("M→W"), group);
  m_femaleToMale = new QPushButton(QStringLiteral("W→M"), group);
  m_reset = new QPushButton(QStringLiteral("Reset"), group);
  const std::pair<QPushButton*, FixedVoiceSetting> fixedButtons[] = {
      {m_maleToFemale, FixedVoiceSetting::kMaleToFemale},
      {m_femaleToMale, FixedVoiceSetting::kFemaleToMale},
      {m_reset, FixedVoiceSetting::kReset}};
  for (const auto& [button, which] : fixedButtons) {
    fixed->addWidget(button);
    connect(button, &QPushButton::clicked, this,
            [this, which] { RunAndSync([this, which] { m_view.ApplyFixedVoiceSetting(which); }); });
  }
  grid->addLayout(fixed, 2, 0, 1, 3);
  return group;
}

QWidget* CVCdlg::MakePresetGroup() {
  auto* group = new QGroupBox(QStringLiteral("Preset"), this);
  auto* row = new QHBoxLayout(group);
  for (int slot = 0; slot < static_cast<int>(m_presets.size()); ++slot) {
    auto* button = new CPresetButton(QString::number(slot + 1), group);
    m_presets[static_cast<std::size_t>(slot)] = button;
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, slot, button] {
      const bool ctrl = button->ClickModifiers().testFlag(Qt::ControlModifier);
      RunAndSync([this, slot, ctrl] { m_view.ApplyOrStoreVoicePreset(slot, ctrl); });
    });
  }
  row->addWidget(new QLabel(QStringLiteral("Ctrl+Clickで保存"), group));
  return group;
}

QWidget* CVCdlg::MakeFileButtons() {
  auto* box = new QWidget(this);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  m_openButton = new QPushButton(QStringLiteral("Wavを開く"), box);
  m_rerunButton = new QPushButton(QStringLiteral("再実行"), box);
  m_saveButton = new QPushButton(QStringLiteral("Wavに保存"), box);
  m_closeButton = new QPushButton(QStringLiteral("閉じる"), box);
  for (QPushButton* button : {m_openButton, m_rerunButton, m_saveButton, m_closeButton}) {
    button->setAutoDefault(false);
    row->addWidget(button);
  }
  connect(m_openButton, &QPushButton::clicked, this,
          [this] { RunAndSync([this] { m_view.OpenSingleVoice(); }); });
  connect(m_rerunButton, &QPushButton::clicked, this,
          [this] { RunAndSync([this] { m_view.RerunVoiceAnalysis(); }); });
  connect(m_saveButton, &QPushButton::clicked, this,
          [this] { RunAndSync([this] { m_view.SaveConvertedWave(); }); });
  connect(m_closeButton, &QPushButton::clicked, this, [this] { close(); });
  return box;
}

void CVCdlg::SendSetting() {
  if (m_syncing) return;
  VoiceSetting setting;
  setting.lowestNote = Selection(m_lowList);
  setting.highestNote = Selection(m_highList);
  setting.pitchPosition = m_pitchSlider->value();
  setting.formantPosition = m_formantSlider->value();
  m_view.ShowVoiceSetting(setting);
  const ConversionRatios ratios = m_view.VoiceDialog().Ratios();
  m_pitchLabel->setText(
      QString::fromStdString(VoiceRatioLabel(ratios.pitch, setting.pitchPosition)));
  m_formantLabel->setText(
      QString::fromStdString(VoiceRatioLabel(ratios.formant, setting.formantPosition)));
}

void CVCdlg::RunAndSync(const std::function<void()>& action) {
  action();
  Sync();
}

void CVCdlg::Sync() {
  const VoiceDialogState& state = m_view.VoiceDialog();
  if (!state.IsOpen()) return;
  m_syncing = true;
  const VoiceSetting& shown = state.Current();
  for (auto [list, note] : {std::pair{m_lowList, shown.lowestNote},
                            std::pair{m_highList, shown.highestNote}}) {
    // A list whose typed text is being edited keeps it while it names the same note.
    if (Selection(list) != note) list->setCurrentIndex(note);
  }
  m_pitchSlider->setValue(shown.pitchPosition);
  m_formantSlider->setValue(shown.formantPosition);
  m_syncing = false;
  const ConversionRatios ratios = state.Ratios();
  m_pitchLabel->setText(QString::fromStdString(VoiceRatioLabel(ratios.pitch, shown.pitchPosition)));
  m_formantLabel->setText(
      QString::fromStdString(VoiceRatioLabel(ratios.formant, shown.formantPosition)));
  m_openButton->setEnabled(!state.FileOpened());
  m_rerunButton->setEnabled(state.FileOpened() && !m_view.IsDataBusy());
  m_saveButton->setEnabled(state.FileOpened() && state.HasAnalysis());
  // Hidden while the voice opened here is analysed; back when the job ends.
  const bool analysing = state.FileOpened() && m_view.CurrentAnalysis().IsBusy();
  setVisible(!analysing);
}

QPushButton* CVCdlg::FixedButton(FixedVoiceSetting which) const {
  switch (which) {
    case FixedVoiceSetting::kMaleToFemale:
      return m_maleToFemale;
    case FixedVoiceSetting::kFemaleToMale:
      return m_femaleToMale;
    case FixedVoiceSetting::kReset:
      break;
  }
  return m_reset;
}

QPushButton* CVCdlg::PresetButton(int slot) const {
  return slot >= 0 && slot < static_cast<int>(m_presets.size())
             ? m_presets[static_cast<std::size_t>(slot)]
             : nullptr;
}

bool CVCdlg::AskViewToClose() {
  if (!m_view.CloseVoiceDialog()) return false;
  if (m_closed) m_closed();
  return true;
}

void CVCdlg::closeEvent(QCloseEvent* event) {
  if (AskViewToClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void CVCdlg::reject() {
  close();
}

}  // namespace velmio::ui
