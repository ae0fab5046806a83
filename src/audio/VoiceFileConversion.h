#pragma once
// The single-voice conversion of a WAV file without a window, as
// "velmio-cli convert" runs it: the recording is read and mixed to mono as
// the single-voice open does, its pitch marks are detected on the same mono
// signal the analysis would detect them on, one rendering is made at the
// requested ratios and saved as "Wavに保存" saves it. UI-less; one thread
// besides the rendering's.
#include <cstdint>
#include <string>

#include "audio/Report.h"
#include "audio/VoiceConversion.h"

namespace velmio {

struct VoiceFileConversion {
  std::string input;
  std::string output;
  int32_t pitchLowNote = 31;   // G_2, semitones above C0
  int32_t pitchHighNote = 64;  // E_5
  int32_t a4Frequency = 440;
  int32_t analysisLowNote = 12;    // the analysed range, for the frame geometry
  int32_t analysisHighNote = 120;
  int32_t binsPerSemitone = 4;
  ConversionRatios ratios;
};

// 0 on success; 1 after the failure has been reported.
int ConvertVoiceFile(const VoiceFileConversion& request, const ReportFn& report);

}  // namespace velmio
