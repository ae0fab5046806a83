#include "view/VoiceDialogState.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "audio/NoteNames.h"

namespace velmio {

VoiceSetting FixedSetting(FixedVoiceSetting which) {
  switch (which) {
    case FixedVoiceSetting::kMaleToFemale:
      return VoiceSetting{31, 52, 24, 12};
    case FixedVoiceSetting::kFemaleToMale:
      return VoiceSetting{43, 64, -24, -12};
    case FixedVoiceSetting::kReset:
      break;
  }
  return VoiceSetting{31, 64, 0, 0};
}

std::string VoiceRatioLabel(float ratio, int32_t position) {
  const char sign = position > 0 ? '+' : position < 0 ? '-' : ' ';
  const float semitones = std::abs(static_cast<float>(position) * 0.5f);
  char text[32];
  std::snprintf(text, sizeof text, "%3.0f%% (%1c%3.1f)", static_cast<double>(ratio) * 100.0, sign,
                static_cast<double>(semitones));
  return text;
}

void VoiceDialogState::Open(const VoicePresets& presets) {
  m_open = true;
  m_presets = presets;
  m_fileOpened = false;
  m_hasAnalysis = false;
  m_saved = false;
  Show(FixedSetting(FixedVoiceSetting::kReset));
}

void VoiceDialogState::Show(const VoiceSetting& setting) {
  auto inList = [](int32_t note) { return note >= 0 && note < kVoiceNoteCount; };
  if (inList(setting.lowestNote)) m_current.lowestNote = setting.lowestNote;
  if (inList(setting.highestNote)) m_current.highestNote = setting.highestNote;
  m_current.pitchPosition =
      std::clamp(setting.pitchPosition, -kPitchPositionLimit, kPitchPositionLimit);
  m_current.formantPosition =
      std::clamp(setting.formantPosition, -kFormantPositionLimit, kFormantPositionLimit);
  m_ratios = ConversionRatios{PitchRatioOfPosition(m_current.pitchPosition),
                              FormantRatioOfPosition(m_current.formantPosition)};
}

void VoiceDialogState::ApplyOrStorePreset(int slot, bool ctrlDown) {
  if (slot < 0 || slot >= kVcPresetCount) return;
  if (ctrlDown) {
    m_presets[static_cast<std::size_t>(slot)] = m_current;
  } else {
    Show(m_presets[static_cast<std::size_t>(slot)]);
  }
}

}  // namespace velmio
