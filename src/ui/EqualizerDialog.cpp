#include "ui/EqualizerDialog.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "persist/SettingsFile.h"
#include "ui/AtofText.h"
#include "ui/EqualizerControls.h"
#include "ui/EqualizerGraph.h"
#include "ui/UiFonts.h"

namespace velmio::ui {
namespace {

struct BandIds {
  int slider;
  int label;
};
constexpr std::array<BandIds, kEqBands> kBandIds = {{{1031, 1032},
                                                     {1013, 1010},
                                                     {1014, 1012},
                                                     {1015, 1018},
                                                     {1016, 1019},
                                                     {1017, 1020},
                                                     {1021, 1026},
                                                     {1022, 1027},
                                                     {1023, 1028},
                                                     {1024, 1029},
                                                     {1025, 1030}}};
constexpr std::array<int, kEqPresets> kPresetIds = {1036, 1038, 1039, 1041};
constexpr int kIdEnable = 1033;
constexpr int kIdQField = 1002;
constexpr int kIdSaveHint = 1046;
constexpr int kIdReset = 1040;
constexpr int kIdClose = 1007;

// Layout in dialog units.
constexpr int kFirstSliderX = 24;
constexpr int kSliderPitch = 24;
constexpr int kSliderTop = 18;
constexpr QSize kSliderSize(12, 66);
constexpr int kGainLabelTop = 84;
constexpr int kNoteNameTop = 6;
constexpr int kGraphTitleTop = 118;  // the graph's title and unit, above it
constexpr QSize kDialogSize(298, 231);
// The graph's picture has a fixed size in pixels: it is centred under the C5
// slider (its own C5 column), and kept clear of the dialog's left edge and of
// the controls above it.
constexpr int kC5SliderCentre = kFirstSliderX + 5 * kSliderPitch + kSliderSize.width() / 2;
constexpr QPoint kGraphPlace(24, 210);

// The Q field holds at most this many characters for the conversion.
constexpr int kQFieldChars = 99;
constexpr char kDefaultQText[] = "1.0";
constexpr char kQMessage[] = "Q値は正の実数です";

// The slider position of a gain; gains beyond the sliders' range (a
// hand-edited settings file) stop at its ends, before the negation can overflow.
int SliderPosition(int32_t gainDb) {
  return -std::clamp<int32_t>(gainDb, -kEqBottomPosition, -kEqTopPosition);
}

QString GainText(int32_t gainDb) {
  return QString::asprintf("%3d", static_cast<int>(gainDb));
}

QRect Box(const DialogUnits& u, int x, int y, int w, int h) {
  return QRect(u.X(x), u.Y(y), u.X(w), u.Y(h));
}

// The fixed-pitch Japanese face, so that "%3d" read-outs line up by digit.
QFont FixedFont(int pixelSize) {
  QFont font;
  font.setFamilies(QStringList{"MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP"});
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(pixelSize);
  return font;
}

}  // namespace

CEQdlg::CEQdlg(Equalizer& bank, std::function<void(int preset)> storePreset, QWidget* parent)
    : QDialog(parent), m_bank(bank), m_storePreset(std::move(storePreset)) {
  setWindowTitle(QStringLiteral("グラフィック・イコライザー"));
  setFont(UiFont());
  setModal(false);
  const DialogUnits u = DialogUnitsOf(font());
  CreateBandControls(u);
  CreateSettingControls(u);
  CreateGraph(u);
  // The first design, as the first paint of the sliders makes it: every band
  // at its slider's gain with the field's Q, so the graph and a stored preset
  // never see the bank's undesigned Q of 0.
  ShowCurrentGains();
  m_bank.MarkAllDirty();
  Redesign();
}

void CEQdlg::CreateBandControls(const DialogUnits& u) {
  const QFont fixed = FixedFont(QFontMetrics(font()).height());
  const int labelHeight = QFontMetrics(fixed).height();
  for (int k = 0; k < kEqBands; ++k) {
    const QRect box = Box(u, kFirstSliderX + k * kSliderPitch, kSliderTop, kSliderSize.width(),
                          kSliderSize.height());
    auto* slider = new CBandSlider(this);
    // Wide enough for the style's handle and both rows of ticks.
    const int width = std::max(box.width(), slider->sizeHint().width());
    slider->setGeometry(box.center().x() - width / 2, box.top(), width, box.height());
    slider->setObjectName(QString::number(kBandIds[k].slider));
    connect(slider, &QSlider::valueChanged, this, [this, k] {
      m_bank.MarkDirty(k);
      Redesign();
    });
    m_sliders[k] = slider;

    auto* label = new QLabel(GainText(0), this);
    label->setFont(fixed);
    const int textWidth = QFontMetrics(fixed).horizontalAdvance(QStringLiteral("-24"));
    label->setGeometry(box.center().x() - textWidth / 2, u.Y(kGainLabelTop), textWidth + 2,
                       labelHeight);
    label->setObjectName(QString::number(kBandIds[k].label));
    m_gainLabels[k] = label;

    AddStatic(QStringLiteral("C%1").arg(k),
              QRect(box.center().x() - u.X(12), u.Y(kNoteNameTop), u.X(24), labelHeight),
              Qt::AlignHCenter | Qt::AlignVCenter);
  }
  // The scale beside the first slider, level with the handle at each gain.
  CBandSlider* first = m_sliders[0];
  const int scaleRight = first->x() - 2;
  const std::pair<const char*, int> marks[] = {{"12", -12}, {"0", 0}, {"-12", 12}, {"-24", 24}};
  for (const auto& [text, position] : marks) {
    const int y = first->y() + first->HandleCentreY(position);
    AddStatic(QString::fromLatin1(text), QRect(0, y - labelHeight / 2, scaleRight, labelHeight),
              Qt::AlignRight | Qt::AlignVCenter);
  }
  AddStatic(QStringLiteral("dB"), QRect(0, u.Y(kGainLabelTop), scaleRight, labelHeight),
            Qt::AlignRight | Qt::AlignVCenter);
}

void CEQdlg::CreateSettingControls(const DialogUnits& u) {
  m_enableBox = new QCheckBox(QStringLiteral("EQを有効にする"), this);
  const QRect enableBox = Box(u, 12, 102, 66, 10);
  m_enableBox->setGeometry(enableBox.adjusted(
      0, 0, std::max(0, m_enableBox->sizeHint().width() - enableBox.width()), 2));
  m_enableBox->setObjectName(QString::number(kIdEnable));
  m_enableBox->setChecked(m_bank.m_enabled != 0);
  connect(m_enableBox, &QCheckBox::toggled, this,
          [this](bool on) { m_bank.m_enabled = on ? 1 : 0; });

  AddStatic(QStringLiteral("Q値"), Box(u, 87, 103, 16, 10), Qt::AlignLeft | Qt::AlignVCenter);
  m_qField = new QLineEdit(QString::fromLatin1(kDefaultQText), this);
  m_qField->setGeometry(Box(u, 105, 102, 30, 12));
  m_qField->setObjectName(QString::number(kIdQField));
  // Enter applies the typed Q at once; a slider move applies it as well.
  connect(m_qField, &QLineEdit::returnPressed, this, [this] { Redesign(); });

  const int presetX[kEqPresets] = {151, 169, 187, 205};
  for (int n = 1; n <= kEqPresets; ++n) {
    auto* button = new CPresetButton(QString::number(n), this);
    button->setGeometry(Box(u, presetX[n - 1], 102, 12, 12));
    button->setObjectName(QString::number(kPresetIds[n - 1]));
    connect(button, &QPushButton::clicked, this, [this, n] { OnPresetClicked(n); });
    m_presetButtons[n - 1] = button;
  }
  QLabel* hint = AddStatic(QStringLiteral("Ctrl+クリックで保存"), Box(u, 159, 95, 62, 8),
                           Qt::AlignLeft | Qt::AlignBottom);
  hint->setFont(FixedFont(8));  // small enough to fit above the four buttons
  hint->setObjectName(QString::number(kIdSaveHint));

  m_resetButton = new QPushButton(QStringLiteral("Reset"), this);
  m_resetButton->setGeometry(Box(u, 223, 102, 24, 12));
  m_resetButton->setObjectName(QString::number(kIdReset));
  connect(m_resetButton, &QPushButton::clicked, this,
          [this] { ApplySetting(EqBandGains{}, QString::fromLatin1(kDefaultQText)); });
  m_closeButton = new QPushButton(QStringLiteral("閉じる"), this);
  m_closeButton->setGeometry(Box(u, 257, 101, 30, 14));
  m_closeButton->setObjectName(QString::number(kIdClose));
  connect(m_closeButton, &QPushButton::clicked, this, [this] { hide(); });
  for (QPushButton* button : {m_resetButton, m_closeButton}) button->setAutoDefault(false);
}

void CEQdlg::CreateGraph(const DialogUnits& u) {
  const int labelHeight = QFontMetrics(font()).height();
  // Below the controls and the graph's title however tall the face is.
  const int top = std::max(kGraphPlace.y(), u.Y(kGraphTitleTop) + labelHeight + 4);
  const int left = std::max(kGraphPlace.x(), u.X(kC5SliderCentre) - kEqGraphWidth / 2);
  m_graph = new CEqualizerGraph(m_bank, this);
  m_graph->move(left, top);
  AddStatic(QStringLiteral("フィルタ特性"),
            QRect(left, top - labelHeight - 4, kEqGraphWidth, labelHeight),
            Qt::AlignHCenter | Qt::AlignVCenter);
  AddStatic(QStringLiteral("dB"), QRect(0, top - labelHeight - 4, left - 2, labelHeight),
            Qt::AlignRight | Qt::AlignVCenter);
  // Level with the grid lines of +12, 0, -12 and -24 dB.
  const std::pair<const char*, int> levels[] = {{"12", 0}, {"0", 50}, {"-12", 100}, {"-24", 150}};
  for (const auto& [text, row] : levels) {
    AddStatic(QString::fromLatin1(text),
              QRect(0, top + row - labelHeight / 2, left - 4, labelHeight),
              Qt::AlignRight | Qt::AlignVCenter);
  }
  const int below = top + kEqGraphHeight + 4;
  const std::pair<const char*, int> octaves[] = {{"C0", 0}, {"C5", 200}, {"C10", 400}};
  for (const auto& [text, column] : octaves) {
    const int x = left + column;
    AddStatic(QString::fromLatin1(text), QRect(x - 20, below, 40, labelHeight),
              Qt::AlignHCenter | Qt::AlignVCenter);
  }
  setFixedSize(std::max(u.X(kDialogSize.width()), left + kEqGraphWidth + kGraphPlace.x()),
               std::max(u.Y(kDialogSize.height()), below + labelHeight + 4));
}

QLabel* CEQdlg::AddStatic(const QString& text, const QRect& box, Qt::Alignment alignment) {
  auto* label = new QLabel(text, this);
  label->setGeometry(box);
  label->setAlignment(alignment);
  return label;
}

QSlider* CEQdlg::Slider(int band) const {
  return m_sliders.at(static_cast<std::size_t>(band));
}

QLabel* CEQdlg::GainLabel(int band) const {
  return m_gainLabels.at(static_cast<std::size_t>(band));
}

QPushButton* CEQdlg::PresetButton(int preset) const {
  return m_presetButtons.at(static_cast<std::size_t>(preset - 1));
}

void CEQdlg::Redesign() {
  const float q = ValidatedQ();
  // Read after the check: a message box lets the sliders move meanwhile.
  EqBandGains gains{};
  for (int k = 0; k < kEqBands; ++k) gains[k] = -m_sliders[k]->value();
  const uint32_t redesigned = m_bank.UpdateFilters(gains, q);
  for (int k = 0; k < kEqBands; ++k) {
    if ((redesigned & (1u << k)) != 0) m_gainLabels[k]->setText(GainText(m_bank.m_gainDb[0][k]));
  }
  m_graph->update();
}

float CEQdlg::ValidatedQ() {
  const QByteArray text = m_qField->text().left(kQFieldChars).toUtf8();
  // Infinity and NaN are no Q either: the first flattens every band's width
  // to nothing, the second poisons the design. A Q is used as the settings
  // file keeps it (three decimals), and one it would keep as 0 is refused, so
  // a preset comes back after a restart exactly as it was stored.
  const std::optional<float> q =
      StorableEqQ(AtofText(std::string_view(text.constData(), text.size())));
  if (q) return *q;
  // The field is repaired before the message, so a redesign that runs while
  // the message is open finds a valid Q and does not ask again.
  m_qField->setText(QString::fromLatin1(kDefaultQText));
  QMessageBox box(QMessageBox::Warning, QStringLiteral("velmio"), QString::fromUtf8(kQMessage),
                  QMessageBox::Ok, this);
  box.exec();
  return 1.0f;
}

void CEQdlg::OnPresetClicked(int preset) {
  if ((m_presetButtons[preset - 1]->ClickModifiers() & Qt::ControlModifier) != 0) {
    if (m_storePreset) m_storePreset(preset);
  } else {
    LoadPreset(preset);
  }
}

void CEQdlg::LoadPreset(int preset) {
  EqBandGains gains{};
  for (int k = 0; k < kEqBands; ++k) gains[k] = m_bank.m_gainDb[preset][k];
  ApplySetting(gains, QString::number(static_cast<double>(m_bank.m_q[preset]), 'f', 3));
}

void CEQdlg::ApplySetting(const EqBandGains& gains, const QString& qText) {
  // One redesign for the whole setting, with the new Q: a redesign per slider
  // would check the Q still in the field.
  for (int k = 0; k < kEqBands; ++k) {
    const QSignalBlocker quiet(m_sliders[k]);
    m_sliders[k]->setValue(SliderPosition(gains[k]));
  }
  m_qField->setText(qText);
  m_bank.MarkAllDirty();
  Redesign();
}

void CEQdlg::ShowCurrentGains() {
  for (int k = 0; k < kEqBands; ++k) {
    const QSignalBlocker quiet(m_sliders[k]);
    m_sliders[k]->setValue(SliderPosition(m_bank.m_gainDb[0][k]));
    m_gainLabels[k]->setText(GainText(m_bank.m_gainDb[0][k]));
  }
}

void CEQdlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ShowCurrentGains();
  if (m_visibilityChanged) m_visibilityChanged();
}

void CEQdlg::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (m_visibilityChanged) m_visibilityChanged();
}

}  // namespace velmio::ui
