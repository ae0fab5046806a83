#pragma once
// CWaveFile: one WAV file, opened either for reading (the recording being
// analysed and played) or for writing (converted audio). Every failure is
// reported once, through the ReportFn, by the step that fails, and returned
// as a nonzero code (see RiffFile.h for the values).
#include <cstdint>
#include <string>

#include "audio/Report.h"
#include "audio/RiffFile.h"

namespace velmio {

// The 18-byte WAVEFORMATEX record, field by field (little-endian in files).
struct WaveFormat {
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint16_t cbSize = 0;
};

constexpr int kWaveFormatBytes = 18;
// The PCM fields of the record (no cbSize), all that a 16-bit PCM file needs.
constexpr int kPcmFormatBytes = 16;

// Fills `format` for 16-bit PCM with the given channels and sample rate.
void MakePcm16Format(WaveFormat& format, int channels, int sampleRate);

// UI thread (or any one thread at a time).
class CWaveFile {
 public:
  explicit CWaveFile(ReportFn report = ReportToStderr);
  ~CWaveFile();
  CWaveFile(const CWaveFile&) = delete;
  CWaveFile& operator=(const CWaveFile&) = delete;

  // Opens a RIFF WAVE file, fills `format` and `dataSize` and leaves the read
  // position at the first sample byte. After a failure past the open itself
  // the file stays open until Close.
  int OpenRead(const std::string& path);
  // Creates the file and writes the header for `format` (set it first); the
  // samples follow with WriteData, Close writes the final sizes.
  int OpenWrite(const std::string& path);
  // Finishes a written file and closes either kind; 0 when nothing is open.
  int Close();
  bool IsOpen() const;

  // Reads up to `bytes` sample bytes at the current position; returns the
  // count read, which never goes past the data chunk (short at the file's end).
  int64_t ReadData(void* destination, int64_t bytes);
  // Sample bytes that ReadData can still deliver: what is left of the data
  // chunk, or less when the file ends first. Check a size against it before
  // allocating for it.
  int64_t DataBytesLeft() const;
  // Appends sample bytes after OpenWrite; returns the count written.
  int64_t WriteData(const void* source, int64_t bytes);

  WaveFormat format;
  int32_t dataSize = 0;

 private:
  int Fail(const char* message, int code);
  int ReadFormat(const RiffChunk& fmt);
  int FindData(const RiffChunk& riff);
  int WriteHeader();

  ReportFn m_report;
  RiffReader m_reader;
  RiffWriter m_writer;
  // The chunks still open while writing; zero while reading.
  RiffChunk m_riffChunk;
  RiffChunk m_chunk;
  // The unread rest of the data chunk while reading: [m_dataPosition, m_dataEnd).
  int64_t m_dataPosition = 0;
  int64_t m_dataEnd = 0;
};

}  // namespace velmio
