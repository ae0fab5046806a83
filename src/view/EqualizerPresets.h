#pragma once
// The equalizer's four presets live in the settings record; a bank gets a
// copy when it is made, and a stored preset goes to both at once, so it
// reaches the settings file however the program ends. UI thread.
#include "audio/Equalizer.h"
#include "persist/AnalysisSettings.h"

namespace velmio {

// Copies presets 1 ... 4 of `settings` into the bank's preset rows.
void LoadEqualizerPresets(const AnalysisSettings& settings, Equalizer& bank);

// The bank's current gains and Q become preset `preset` (1 ... 4) in the bank
// and in `settings`. Other numbers are ignored.
void StoreEqualizerPreset(int preset, Equalizer& bank, AnalysisSettings& settings);

}  // namespace velmio
