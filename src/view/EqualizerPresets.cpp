#include "view/EqualizerPresets.h"

#include <algorithm>

namespace velmio {

void LoadEqualizerPresets(const AnalysisSettings& settings, Equalizer& bank) {
  for (int p = 0; p < kEqPresets; ++p) {
    std::copy_n(settings.m_eqPresetGain[p].begin(), kEqBands, bank.m_gainDb[p + 1]);
    bank.m_q[p + 1] = settings.m_eqPresetQ[p];
  }
}

void StoreEqualizerPreset(int preset, Equalizer& bank, AnalysisSettings& settings) {
  if (preset < 1 || preset > kEqPresets) return;
  std::copy_n(bank.m_gainDb[0], kEqBands, bank.m_gainDb[preset]);
  std::copy_n(bank.m_gainDb[0], kEqBands, settings.m_eqPresetGain[preset - 1].begin());
  bank.m_q[preset] = bank.m_q[0];
  settings.m_eqPresetQ[preset - 1] = bank.m_q[0];
}

}  // namespace velmio
