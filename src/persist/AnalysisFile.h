#pragma once
// The analysis data file (.vlx): a saved analysis result that can be reopened
// without analysing the recording again. It holds the display matrix, the
// frame energy, the display and tempo settings, the single-voice options and
// the path of the source audio, never the samples.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "audio/Report.h"
#include "engine/TempoGrid.h"

namespace velmio {

// The version text written into the 16-byte header "velmio ver 0.89".
inline constexpr char kAnalysisFileVersion[] = "0.89";
// The source path field is 512 bytes and always keeps a terminating NUL.
inline constexpr std::size_t kAnalysisFileMaxPathBytes = 511;

// What one save writes. The spans are borrowed for the duration of the call.
struct AnalysisFileContents {
  int32_t frameCount = 0, levelTopDb = 24, levelRangeDb = 20, lowNote = 12, highNote = 120;
  std::string filePath;                // source audio path, stored in the 512-byte field
  std::span<const float> levelDb;      // R x F, R = 8*(highNote-lowNote), row 0 = highest pitch
  std::span<const float> frameEnergy;  // F
  TempoGrid tempo;                     // tempo 0 -> written as {0,4,4,0}
  int32_t pitchEnabled = 0, pitchLowNote = 31, pitchHighNote = 64, missingFundamental = 0,
          vocalCutApplied = 0, vocalLowestNote = 19;
  // The pitch section, written in place of the zero block when pitchEnabled
  // is nonzero: frameCount track values, the state of the voice-conversion
  // window (lowest-note index, highest-note index, Pitch and Formant slider
  // positions), the mark count and, when it is positive, markCount + 1 marks
  // and peaks.
  std::span<const int16_t> pitchTrack;
  std::array<int32_t, 4> voiceWindowState{31, 64, 0, 0};
  int32_t markCount = 0;
  std::span<const int32_t> pitchMarks;
  std::span<const int16_t> periodPeaks;
};

// Writes the file at `path`. The data goes to a temporary file beside `path`
// that replaces `path` only once everything is written, so a failed save leaves
// an existing file as it was. Contents that the file cannot represent (spans
// that disagree with the geometry, a source path over 511 bytes, a pitch
// section shorter than its counts) are refused before anything is created. Failures are reported through `report` ("File open error." when
// the file cannot be created, "File write error." when writing or replacing
// fails). Returns true on success. UI thread, or any thread that owns
// `contents` for the duration of the call.
bool WriteAnalysisFile(const std::string& path, const AnalysisFileContents& contents,
                       const ReportFn& report);

}  // namespace velmio
