// Reading an analysis file back. Nothing in the file is trusted: the header's
// version, the three counts and the note range must agree with each other and
// with the number of bytes the file really holds before any array is sized by
// them, and the result reaches the caller only once the whole file was read.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "persist/AnalysisFile.h"
#include "persist/AnalysisFileLayout.h"

namespace velmio {
namespace {

using namespace analysis_file;

constexpr char kOpenError[] = "File open error.";
// The oldest version whose layout this reader knows.
constexpr double kOldestVersion = 0.799;

// The same ranges the settings file accepts: C0 ... C4 and C6 ... C10 on the
// octave grid, and levels that keep the dB scale finite.
bool IsLowNote(int32_t n) {
  return n >= 0 && n <= 48 && n % 12 == 0;
}
bool IsHighNote(int32_t n) {
  return n >= 72 && n <= 120 && n % 12 == 0;
}
bool IsLevelTop(int32_t v) {
  return v >= -1000 && v <= 1000;
}
bool IsLevelRange(int32_t v) {
  return v >= 2 && v <= 1000;
}

// A front-to-back source of bytes that knows how many are left.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual bool Read(void* destination, std::size_t count) = 0;
  virtual uint64_t Remaining() const = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
  bool Read(void* destination, std::size_t count) override {
    if (count > m_bytes.size()) return false;
    if (count > 0) std::memcpy(destination, m_bytes.data(), count);
    m_bytes = m_bytes.subspan(count);
    return true;
  }
  uint64_t Remaining() const override { return m_bytes.size(); }

 private:
  std::span<const uint8_t> m_bytes;
};

class FileSource : public ByteSource {
 public:
  FileSource(std::FILE* file, uint64_t size) : m_file(file), m_left(size) {}
  bool Read(void* destination, std::size_t count) override {
    if (count > m_left) return false;
    if (count > 0 && std::fread(destination, 1, count, m_file) != count) return false;
    m_left -= count;
    return true;
  }
  uint64_t Remaining() const override { return m_left; }

 private:
  std::FILE* m_file;
  uint64_t m_left;
};

// Little-endian fields from a source; the first failed read sticks.
class FieldReader {
 public:
  explicit FieldReader(ByteSource& source) : m_source(source) {}

  bool ok() const { return m_ok; }
  uint64_t Remaining() const { return m_source.Remaining(); }
  void Fail() { m_ok = false; }

  int32_t Int32() {
    uint8_t b[4] = {};
    Bytes(b, 4);
    return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 |
                                uint32_t{b[3]} << 24);
  }
  void Bytes(void* destination, std::size_t count) {
    if (m_ok && !m_source.Read(destination, count)) m_ok = false;
  }
  void Skip(std::size_t count) {
    uint8_t scratch[64];
    while (m_ok && count > 0) {
      const std::size_t step = count < sizeof scratch ? count : sizeof scratch;
      Bytes(scratch, step);
      count -= step;
    }
  }
  // Arrays of 16- and 32-bit values, read whole and put into host order.
  template <typename T>
  void Array(T* destination, std::size_t count) {
    static_assert(sizeof(T) == 2 || sizeof(T) == 4);
    Bytes(destination, count * sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i < count; ++i) destination[i] = SwapBytes(destination[i]);
    }
  }

 private:
  template <typename T>
  static T SwapBytes(T value) {
    auto bytes = std::bit_cast<std::array<uint8_t, sizeof(T)>>(value);
    std::reverse(bytes.begin(), bytes.end());
    return std::bit_cast<T>(bytes);
  }

  ByteSource& m_source;
  bool m_ok = true;
};

// Bytes 11 ... 14 as a number, in single precision as the file's version is kept.
bool HasReadableVersion(const char (&header)[kHeaderBytes]) {
  char text[kVersionBytes + 1] = {};
  std::memcpy(text, header + kVersionOffset, kVersionBytes);
  const auto version = static_cast<float>(std::atof(text));
  return static_cast<double>(version) > kOldestVersion;
}

// The fields in front of the matrix. False when they cannot describe a
// matrix of this file: the counts are then never used.
bool ReadHead(FieldReader& in, LoadedAnalysis& a, int64_t& cells) {
  a.frameCount = in.Int32();
  a.levelTopDb = in.Int32();
  a.levelRangeDb = in.Int32();
  a.lowNote = in.Int32();
  a.highNote = in.Int32();
  in.Skip(4 * kReservedAfterNotes);
  char path[kPathFieldBytes];
  in.Bytes(path, sizeof path);
  in.Skip(4 * kReservedAfterPath);
  const int32_t frames2 = in.Int32();
  const int32_t rows = in.Int32();
  const int32_t count = in.Int32();
  if (!in.ok()) return false;
  path[kPathFieldBytes - 1] = '\0';
  a.filePath = path;

  if (!IsLowNote(a.lowNote) || !IsHighNote(a.highNote)) return false;
  if (!IsLevelTop(a.levelTopDb) || !IsLevelRange(a.levelRangeDb)) return false;
  if (a.frameCount <= 0 || frames2 != a.frameCount || rows != a.RowCount()) return false;
  cells = static_cast<int64_t>(rows) * a.frameCount;
  return count == cells;
}

bool ReadTempoAndVoice(FieldReader& in, LoadedAnalysis& a) {
  a.tempo.tempo = in.Int32();
  a.tempo.beatsPerBar = in.Int32();
  a.tempo.beatUnit = in.Int32();
  a.tempo.startMs = in.Int32();
  a.frameEnergy.Reset(static_cast<std::size_t>(a.frameCount));
  in.Array(a.frameEnergy.data(), a.frameEnergy.size());
  a.pitchEnabled = in.Int32();
  a.showPitch = in.Int32();
  a.pitchLowNote = in.Int32();
  a.pitchHighNote = in.Int32();
  a.missingFundamental = in.Int32();
  a.vocalCutApplied = in.Int32();
  a.vocalLowestNote = in.Int32();
  in.Skip(4 * kReservedAfterVoice);
  // A bar of no beats has no bar lines to place; the vocal options index lists.
  if (a.tempo.tempo != 0 && a.tempo.beatsPerBar < 1) return false;
  if (a.vocalCutApplied < 0 || a.vocalCutApplied > 2) return false;
  return in.ok() && a.vocalLowestNote >= 0 && a.vocalLowestNote <= 36;
}

// The pitch section, or the zero block that stands in for it; it must end the file.
bool ReadPitchSection(FieldReader& in, LoadedAnalysis& a) {
  const auto frames = static_cast<uint64_t>(a.frameCount);
  if (a.pitchEnabled == 0) {
    if (in.Remaining() != 4 * frames) return false;
    in.Skip(4 * frames);
    return in.ok();
  }
  if (in.Remaining() < 2 * frames + kPitchStateBytes) return false;
  a.pitchTrack.resize(frames);
  in.Array(a.pitchTrack.data(), frames);
  VcPreset& w = a.windowState;
  w.lowestNote = in.Int32();
  w.highestNote = in.Int32();
  w.pitchPosition = in.Int32();
  w.formantPosition = in.Int32();
  a.markCount = in.Int32();
  if (!in.ok() || a.markCount < 0) return false;
  const uint64_t marks = a.markCount > 0 ? static_cast<uint64_t>(a.markCount) + 1 : 0;
  if (in.Remaining() != 6 * marks) return false;
  a.pitchMarks.resize(marks);
  a.periodPeaks.resize(marks);
  in.Array(a.pitchMarks.data(), marks);
  in.Array(a.periodPeaks.data(), marks);
  return in.ok();
}

bool ReadAll(ByteSource& source, LoadedAnalysis& out) {
  FieldReader in(source);
  char header[kHeaderBytes] = {};
  in.Bytes(header, sizeof header);
  if (!in.ok() || !HasReadableVersion(header)) return false;

  LoadedAnalysis a;
  int64_t cells = 0;
  if (!ReadHead(in, a, cells)) return false;
  // Everything up to the pitch section must be there before the matrix is sized.
  const uint64_t frames = static_cast<uint64_t>(a.frameCount);
  const uint64_t fixedTail = kTempoBytes + 4 * frames + kVoiceBytes;
  if (in.Remaining() < 4 * static_cast<uint64_t>(cells) + fixedTail) return false;
  a.levelDb.Reset(static_cast<std::size_t>(cells));
  in.Array(a.levelDb.data(), a.levelDb.size());
  if (!in.ok() || !ReadTempoAndVoice(in, a) || !ReadPitchSection(in, a)) return false;
  out = std::move(a);
  return true;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

bool ParseAnalysisFile(std::span<const uint8_t> bytes, LoadedAnalysis& out) {
  MemorySource source(bytes);
  return ReadAll(source, out);
}

AnalysisFileReadStatus ReadAnalysisFile(const std::string& path, LoadedAnalysis& out,
                                        const ReportFn& report) {
  auto fail = [&](AnalysisFileReadStatus status, const char* message) {
    if (report) report(message);
    return status;
  };
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  struct stat info {};
  if (!file || fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
    return fail(AnalysisFileReadStatus::kCannotOpen, kOpenError);
  FileSource source(file.get(), static_cast<uint64_t>(info.st_size));
  if (!ReadAll(source, out))
    return fail(AnalysisFileReadStatus::kWrongFormat, kAnalysisFileFormatMessage);
  return AnalysisFileReadStatus::kRead;
}

}  // namespace velmio
