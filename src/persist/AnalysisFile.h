#pragma once
// The analysis data file (.vlx): a saved analysis result that can be reopened
// without analysing the recording again. It holds the display matrix, the
// frame energy, the display and tempo settings, the single-voice options and
// the path of the source audio, never the samples.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/Report.h"
#include "dsp/AlignedBuffer.h"
#include "engine/TempoGrid.h"
#include "persist/AnalysisSettings.h"

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
  // The pitch section, written whenever pitchEnabled is nonzero: the track
  // (F values), the voice-conversion window's lists and sliders, and the
  // marks with their peaks (M + 1 values each when M > 0, else none).
  std::span<const int16_t> pitchTrack;
  VcPreset windowState;
  int32_t markCount = 0;
  std::span<const int32_t> pitchMarks;
  std::span<const int16_t> periodPeaks;
};

// What one load reads: the same fields as a save writes, owning their arrays.
struct LoadedAnalysis {
  int32_t frameCount = 0, levelTopDb = 24, levelRangeDb = 20, lowNote = 12, highNote = 120;
  std::string filePath;
  AlignedBuffer<float> levelDb;      // R x F
  AlignedBuffer<float> frameEnergy;  // F
  TempoGrid tempo;
  int32_t pitchEnabled = 0, showPitch = 0, pitchLowNote = 31, pitchHighNote = 64,
          missingFundamental = 0, vocalCutApplied = 0, vocalLowestNote = 19;
  // Filled only when pitchEnabled is nonzero.
  std::vector<int16_t> pitchTrack;  // F
  VcPreset windowState;
  int32_t markCount = 0;
  std::vector<int32_t> pitchMarks;   // M + 1 when M > 0
  std::vector<int16_t> periodPeaks;  // M + 1 when M > 0

  int32_t RowCount() const { return 8 * (highNote - lowNote); }
};

// The message for a file that is not an analysis file this program can read
// (wrong version, or counts that disagree with each other or with its size).
inline constexpr char kAnalysisFileFormatMessage[] =
    "*.vlxファイルの形式が異なります。\r\n再度wavファイルから読み込んで下さい。";

enum class AnalysisFileReadStatus { kRead, kCannotOpen, kWrongFormat };

// Writes the file at `path`. The data goes to a temporary file beside `path`
// that replaces `path` only once everything is written, so a failed save leaves
// an existing file as it was. Contents that the file cannot represent (spans
// that disagree with the geometry, a source path over 511 bytes, pitch data
// whose arrays disagree with the frame and mark counts) are refused before
// anything is created. Failures are reported through `report` ("File open error." when
// the file cannot be created, "File write error." when writing or replacing
// fails). Returns true on success. UI thread, or any thread that owns
// `contents` for the duration of the call.
bool WriteAnalysisFile(const std::string& path, const AnalysisFileContents& contents,
                       const ReportFn& report);

// Reads the file at `path` into `out`. Every count is checked against the
// note range, against the others and against the bytes the file holds before
// anything is allocated for it, so a damaged or hostile file costs no more
// memory than its own size. `out` is replaced only when the whole file was
// read; otherwise it is left as it was and the failure is reported ("File
// open error." or the format message). Any thread.
AnalysisFileReadStatus ReadAnalysisFile(const std::string& path, LoadedAnalysis& out,
                                        const ReportFn& report);

// The same checks and reading on bytes in memory, for tests and fuzzing: true
// when `bytes` is a whole analysis file (then `out` holds it).
bool ParseAnalysisFile(std::span<const uint8_t> bytes, LoadedAnalysis& out);

}  // namespace velmio
