#include "audio/WaveFile.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace velmio {
namespace {

uint16_t LoadLe16(const uint8_t* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t LoadLe32(const uint8_t* bytes) {
  return uint32_t{LoadLe16(bytes)} | uint32_t{LoadLe16(bytes + 2)} << 16;
}

void StoreLe16(uint8_t* bytes, uint16_t value) {
  bytes[0] = static_cast<uint8_t>(value);
  bytes[1] = static_cast<uint8_t>(value >> 8);
}

void StoreLe32(uint8_t* bytes, uint32_t value) {
  StoreLe16(bytes, static_cast<uint16_t>(value));
  StoreLe16(bytes + 2, static_cast<uint16_t>(value >> 16));
}

WaveFormat ParseFormat(const uint8_t (&bytes)[kWaveFormatBytes]) {
  WaveFormat format;
  format.wFormatTag = LoadLe16(bytes);
  format.nChannels = LoadLe16(bytes + 2);
  format.nSamplesPerSec = LoadLe32(bytes + 4);
  format.nAvgBytesPerSec = LoadLe32(bytes + 8);
  format.nBlockAlign = LoadLe16(bytes + 12);
  format.wBitsPerSample = LoadLe16(bytes + 14);
  format.cbSize = LoadLe16(bytes + 16);
  return format;
}

void SerializePcmFormat(const WaveFormat& format, uint8_t (&bytes)[kPcmFormatBytes]) {
  StoreLe16(bytes, format.wFormatTag);
  StoreLe16(bytes + 2, format.nChannels);
  StoreLe32(bytes + 4, format.nSamplesPerSec);
  StoreLe32(bytes + 8, format.nAvgBytesPerSec);
  StoreLe16(bytes + 12, format.nBlockAlign);
  StoreLe16(bytes + 14, format.wBitsPerSample);
}

}  // namespace

void MakePcm16Format(WaveFormat& format, int channels, int sampleRate) {
  format.wFormatTag = 1;
  format.nChannels = static_cast<uint16_t>(channels);
  format.nSamplesPerSec = static_cast<uint32_t>(sampleRate);
  format.nAvgBytesPerSec = static_cast<uint32_t>(sampleRate) * static_cast<uint32_t>(channels) * 2;
  format.nBlockAlign = static_cast<uint16_t>(channels * 2);
  format.wBitsPerSample = 16;
  format.cbSize = 0;
}

CWaveFile::CWaveFile(ReportFn report) : m_report(std::move(report)) {}

CWaveFile::~CWaveFile() {
  Close();
}

bool CWaveFile::IsOpen() const {
  return m_reader.IsOpen() || m_writer.IsOpen();
}

int CWaveFile::Fail(const char* message, int code) {
  if (m_report) m_report(message);
  return code;
}

int CWaveFile::OpenRead(const std::string& path) {
  if (IsOpen()) return Fail("Wave read file is already open.", kRiffCannotOpen);
  dataSize = 0;
  if (path.empty()) return Fail("Invalid read file name.", kRiffFileNotFound);
  if (const int status = m_reader.Open(path); status != 0)
    return Fail("mmioOpen(MMIO_READ) failed.", status);
  RiffChunk riff;
  if (const int status = m_reader.FindForm(FourCC("WAVE"), riff); status != 0)
    return Fail("mmioDescend(WAVE) failed.", status);
  RiffChunk fmt;
  if (const int status = m_reader.FindChunk(riff, FourCC("fmt "), fmt); status != 0)
    return Fail("mmioDescend(fmt ) failed.", status);
  if (const int status = ReadFormat(fmt); status != 0) return status;
  return FindData(riff);
}

// Reads at most the 18 bytes of WAVEFORMATEX: what follows in an extensible
// header is not needed to read 16- or 24-bit PCM.
int CWaveFile::ReadFormat(const RiffChunk& fmt) {
  uint8_t bytes[kWaveFormatBytes] = {};
  const int64_t wanted = std::min<int64_t>(fmt.size, kWaveFormatBytes);
  const int64_t got = m_reader.ReadAt(fmt.dataOffset, bytes, wanted);
  format = ParseFormat(bytes);
  // Shorter than the PCM record, the header cannot say how to read the samples.
  if (got != wanted || fmt.size < kPcmFormatBytes)
    return Fail("mmioRead() failed.", kRiffCannotRead);
  return 0;
}

int CWaveFile::FindData(const RiffChunk& riff) {
  RiffChunk data;
  if (const int status = m_reader.FindChunk(riff, FourCC("data"), data); status != 0)
    return Fail("mmioDescend(data) failed.", status);
  // The rest of the program counts sample bytes in an int32.
  if (data.size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return Fail("mmioDescend(data) failed.", kRiffInvalidFile);
  dataSize = static_cast<int32_t>(data.size);
  m_dataPosition = data.dataOffset;
  m_dataEnd = data.dataOffset + data.size;
  return 0;
}

int CWaveFile::OpenWrite(const std::string& path) {
  if (IsOpen()) return Fail("Wave write file is already open.", kRiffCannotOpen);
  if (path.empty()) return Fail("Invalid write file name.", kRiffFileNotFound);
  if (const int status = m_writer.Create(path); status != 0)
    return Fail("save.wav open error !", status);
  return WriteHeader();
}

// "RIFF" form, a 16-byte "fmt " chunk and the start of "data": the standard
// 44-byte PCM header, whose sizes Close fills in.
int CWaveFile::WriteHeader() {
  if (const int status = m_writer.CreateForm(FourCC("WAVE"), m_riffChunk); status != 0)
    return Fail("mmioCreateChunk(WAVE) failed.", status);
  if (const int status = m_writer.CreateChunk(FourCC("fmt "), m_chunk); status != 0)
    return Fail("mmioCreateChunk(fmt ) failed.", status);
  uint8_t bytes[kPcmFormatBytes];
  SerializePcmFormat(format, bytes);
  if (m_writer.Write(bytes, kPcmFormatBytes) != kPcmFormatBytes)
    return Fail("mmioWrite() failed.", kRiffCannotWrite);
  m_writer.Ascend(m_chunk);
  if (const int status = m_writer.CreateChunk(FourCC("data"), m_chunk); status != 0)
    return Fail("mmioCreateChunk(data ) failed.", status);
  return 0;
}

int CWaveFile::Close() {
  int status = 0;
  if (m_writer.IsOpen()) {
    // Errors of these steps are remembered by the writer and surface below.
    m_writer.Ascend(m_chunk);
    m_writer.Ascend(m_riffChunk);
    status = m_writer.Close();
  } else if (m_reader.IsOpen()) {
    status = m_reader.Close();
  } else {
    return 0;
  }
  m_riffChunk = {};
  m_chunk = {};
  m_dataPosition = 0;
  m_dataEnd = 0;
  return status == 0 ? 0 : Fail("mmioClose() failed.", status);
}

int64_t CWaveFile::DataBytesLeft() const {
  if (!m_reader.IsOpen()) return 0;
  return std::max<int64_t>(0, std::min(m_dataEnd, m_reader.FileSize()) - m_dataPosition);
}

int64_t CWaveFile::ReadData(void* destination, int64_t bytes) {
  const int64_t wanted = std::min(bytes, m_dataEnd - m_dataPosition);
  if (!m_reader.IsOpen() || wanted <= 0) return 0;
  const int64_t got = m_reader.ReadAt(m_dataPosition, destination, wanted);
  m_dataPosition += got;
  return got;
}

int64_t CWaveFile::WriteData(const void* source, int64_t bytes) {
  return m_writer.Write(source, bytes);
}

}  // namespace velmio
