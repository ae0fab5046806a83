#include "persist/AnalysisFile.h"

#include <bit>
#include <cstdio>
#include <limits>
#include <vector>

#include "persist/AnalysisFileLayout.h"
#include "persist/AtomicFileWriter.h"

namespace velmio {
namespace {

using namespace analysis_file;

constexpr char kOpenError[] = "File open error.";
constexpr char kWriteError[] = "File write error.";

// Serialises values as little-endian bytes whatever the host order, collecting
// them in a block so that the large arrays reach the file in few calls. The
// first failed write makes the rest no-ops; the caller checks once in Finish.
class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(std::FILE* file) : m_file(file) {}

  void Int32(int32_t value) { Word(static_cast<uint32_t>(value)); }
  void Float32(float value) { Word(std::bit_cast<uint32_t>(value)); }
  void Int16(int16_t value) {
    const auto bits = static_cast<uint16_t>(value);
    Byte(static_cast<uint8_t>(bits));
    Byte(static_cast<uint8_t>(bits >> 8));
  }
  void Floats(std::span<const float> values) {
    for (float v : values) Float32(v);
  }
  void Bytes(const void* data, std::size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (std::size_t i = 0; i < count; ++i) Byte(bytes[i]);
  }
  void Zeros(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Byte(0);
  }
  // Hands the rest of the block to the file; true when every byte was accepted.
  bool Finish() {
    Drain();
    return m_ok;
  }

 private:
  static constexpr std::size_t kBlockBytes = 1 << 16;

  void Word(uint32_t value) {
    if (m_used + 4 > kBlockBytes) Drain();
    for (int shift = 0; shift < 32; shift += 8)
      m_block[m_used++] = static_cast<uint8_t>(value >> shift);
  }
  void Byte(uint8_t value) {
    if (m_used == kBlockBytes) Drain();
    m_block[m_used++] = value;
  }
  void Drain() {
    if (m_ok && m_used > 0) m_ok = std::fwrite(m_block.data(), 1, m_used, m_file) == m_used;
    m_used = 0;
  }

  std::FILE* m_file;
  std::vector<uint8_t> m_block = std::vector<uint8_t>(kBlockBytes);  // kept off the caller's stack
  std::size_t m_used = 0;
  bool m_ok = true;
};

int64_t RowCount(const AnalysisFileContents& c) {
  return 8 * (static_cast<int64_t>(c.highNote) - c.lowNote);
}

// A nonzero pitch flag is always followed by a whole pitch section, so that
// a reader never takes other bytes for pitch data.
std::string PitchSectionRefusal(const AnalysisFileContents& c) {
  if (c.pitchTrack.size() != static_cast<std::size_t>(c.frameCount))
    return "Pitch data does not match the frame count.";
  const std::size_t marks = c.markCount > 0 ? static_cast<std::size_t>(c.markCount) + 1 : 0;
  // Longer arrays are fine (a detector's buffers): only the counted entries are written.
  if (c.markCount == std::numeric_limits<int32_t>::max() || c.pitchMarks.size() < marks ||
      c.periodPeaks.size() < marks)
    return "Pitch marks do not match their count.";
  return {};
}

// Why `c` cannot be written, or an empty text when it can. Checked before any
// file is touched, so a refusal changes nothing on disk.
std::string RefusalReason(const AnalysisFileContents& c) {
  const int64_t rows = RowCount(c);
  const int64_t cells = rows * c.frameCount;
  if (rows <= 0 || c.frameCount < 0 || cells > std::numeric_limits<int32_t>::max())
    return "Analysis data has an invalid note range or frame count.";
  if (c.levelDb.size() != static_cast<uint64_t>(cells) ||
      c.frameEnergy.size() != static_cast<uint64_t>(c.frameCount))
    return "Analysis data does not match its note range and frame count.";
  // A longer path would lose its tail and reopen some other file.
  if (c.filePath.size() > kAnalysisFileMaxPathBytes)
    return "Source file path is too long to save (511 bytes at most).";
  // The field ends at the first NUL, so an embedded one would cut the path short too.
  if (c.filePath.find('\0') != std::string::npos) return "Source file path contains a NUL byte.";
  if (c.pitchEnabled != 0) return PitchSectionRefusal(c);
  return {};
}

void WriteHeaderAndMatrix(LittleEndianWriter& out, const AnalysisFileContents& c) {
  const auto rows = static_cast<int32_t>(RowCount(c));
  out.Bytes(kHeaderText, sizeof kHeaderText);
  for (int32_t v : {c.frameCount, c.levelTopDb, c.levelRangeDb, c.lowNote, c.highNote})
    out.Int32(v);
  out.Zeros(4 * kReservedAfterNotes);
  out.Bytes(c.filePath.data(), c.filePath.size());
  out.Zeros(kPathFieldBytes - c.filePath.size());
  out.Zeros(4 * kReservedAfterPath);
  out.Int32(c.frameCount);  // the reader sizes the energy and pitch arrays by this one
  out.Int32(rows);
  out.Int32(rows * c.frameCount);
  out.Floats(c.levelDb);
}

void WriteTempo(LittleEndianWriter& out, const TempoGrid& t) {
  const TempoGrid written = t.tempo != 0 ? t : TempoGrid{0, 4, 4, 0};
  for (int32_t v : {written.tempo, written.beatsPerBar, written.beatUnit, written.startMs})
    out.Int32(v);
}

void WriteVoiceOptions(LittleEndianWriter& out, const AnalysisFileContents& c) {
  // The second slot is the pitch display flag when read; the writer repeats the pitch flag.
  for (int32_t v : {c.pitchEnabled, c.pitchEnabled, c.pitchLowNote, c.pitchHighNote,
                    c.missingFundamental, c.vocalCutApplied, c.vocalLowestNote})
    out.Int32(v);
  out.Zeros(4 * kReservedAfterVoice);
}

void WritePitchSection(LittleEndianWriter& out, const AnalysisFileContents& c) {
  for (int16_t v : c.pitchTrack) out.Int16(v);
  const VcPreset& w = c.windowState;
  for (int32_t v : {w.lowestNote, w.highestNote, w.pitchPosition, w.formantPosition}) out.Int32(v);
  out.Int32(c.markCount);
  const std::size_t marks = c.markCount > 0 ? static_cast<std::size_t>(c.markCount) + 1 : 0;
  for (int32_t v : c.pitchMarks.first(marks)) out.Int32(v);
  for (int16_t v : c.periodPeaks.first(marks)) out.Int16(v);
}

void WriteContents(LittleEndianWriter& out, const AnalysisFileContents& c) {
  WriteHeaderAndMatrix(out, c);
  WriteTempo(out, c.tempo);
  out.Floats(c.frameEnergy);
  WriteVoiceOptions(out, c);
  if (c.pitchEnabled != 0) {
    WritePitchSection(out, c);
  } else {
    out.Zeros(4 * static_cast<std::size_t>(c.frameCount));  // where the pitch section would be
  }
}

}  // namespace

bool WriteAnalysisFile(const std::string& path, const AnalysisFileContents& contents,
                       const ReportFn& report) {
  auto fail = [&](const std::string& message) {
    if (report) report(message);
    return false;
  };
  if (const std::string reason = RefusalReason(contents); !reason.empty()) return fail(reason);

  const AtomicWriteStatus status = WriteFileAtomically(path, [&](std::FILE* file) {
    LittleEndianWriter out(file);
    WriteContents(out, contents);
    return out.Finish();
  });
  if (status == AtomicWriteStatus::kWritten) return true;
  if (status == AtomicWriteStatus::kCannotCreate) return fail(kOpenError);
  return fail(kWriteError);
}

}  // namespace velmio
