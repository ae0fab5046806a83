#pragma once
// What the voice-conversion dialog shows and edits, kept by the view while
// the dialog is open: the two list selections, the slider positions and the
// ratios they give, the six preset slots, and whether an analysis is there
// and has been saved. The Qt dialog shows this state and sends its changes
// through the view's verbs. UI thread.
#include <array>
#include <cstdint>
#include <string>

#include "audio/VoiceConversion.h"
#include "persist/AnalysisSettings.h"

namespace velmio {

// One setting of the dialog: the range searched (list indices, semitones
// above C0) and the two slider positions (half semitones).
using VoiceSetting = VcPreset;
using VoicePresets = std::array<VcPreset, kVcPresetCount>;

// The fixed settings of the dialog's buttons.
enum class FixedVoiceSetting { kMaleToFemale, kFemaleToMale, kReset };
VoiceSetting FixedSetting(FixedVoiceSetting which);

// "%3.0f%% (%1c%3.1f)": the ratio in percent, the sign of the position and
// half the position (semitones). Position 24 of 2.0 gives "200% (+12.0)".
std::string VoiceRatioLabel(float ratio, int32_t position);

// The slot that keeps the state saved with an analysis data file.
constexpr int kVoiceFileSlot = 5;

class VoiceDialogState {
 public:
  // The dialog opens: the presets copied from the settings, the default
  // range G_2 ... E_5, both sliders at 0, no analysis.
  void Open(const VoicePresets& presets);
  // The dialog goes; its presets are to be copied back.
  void Close() { m_open = false; }
  bool IsOpen() const { return m_open; }

  // The setting shown now.
  const VoiceSetting& Current() const { return m_current; }
  // The user moved a slider or picked a list entry (indices outside the 97
  // notes keep the previous selection).
  void Show(const VoiceSetting& setting);
  // pr = 2^(p / 24) and fr = 2^((q / 2) / 12) of the shown positions.
  ConversionRatios Ratios() const { return m_ratios; }

  // Presets 1 ... 5 (slots 0 ... 4) and the analysis file's slot 5: with
  // Ctrl held the shown setting is stored in the slot, otherwise the slot's
  // setting is shown. Other slots are ignored.
  void ApplyOrStorePreset(int slot, bool ctrlDown);
  const VoicePresets& Presets() const { return m_presets; }
  // The analysis data file writer keeps the shown setting in slot 5.
  void SnapshotState() { m_presets[kVoiceFileSlot] = m_current; }

  // A file was opened through the dialog (or an analysis data file with
  // pitch data): "Wavを開く" off, "Wavに保存" and "再実行" on.
  void MarkFileOpened() { m_fileOpened = true; }
  bool FileOpened() const { return m_fileOpened; }
  // An analysis with pitch data is there; it has been saved to a file.
  void SetHasAnalysis(bool has) { m_hasAnalysis = has; }
  bool HasAnalysis() const { return m_hasAnalysis; }
  void SetSaved(bool saved) { m_saved = saved; }
  bool Saved() const { return m_saved; }
  // Closing would lose an analysis that was not saved.
  bool ClosingLosesData() const { return m_hasAnalysis && !m_saved; }

 private:
  bool m_open = false;
  VoiceSetting m_current;
  ConversionRatios m_ratios;
  VoicePresets m_presets{};
  bool m_fileOpened = false;
  bool m_hasAnalysis = false;
  bool m_saved = false;
};

}  // namespace velmio
