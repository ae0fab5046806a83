#pragma once
// The open recording: the path the user chose, the loaded PCM and what was
// done to it (vocal cut or extract, the mono mix of the single-voice mode),
// and the sample rate and analysis hop that follow from it. One per view;
// replaced whole when another file is opened. UI thread.
#include <cstdint>
#include <functional>
#include <string>

#include "audio/PcmLoading.h"
#include "audio/Report.h"
#include "audio/VocalCut.h"

namespace velmio {

// The PCM as the analysis and playback read it.
struct PcmView {
  const int16_t* samples = nullptr;  // interleaved 16-bit
  std::size_t sampleCount = 0;       // int16 values behind `samples`
  int32_t dataSize = 0;              // bytes of the recording
  WaveFormat format;
};

class RecordingSession {
 public:
  explicit RecordingSession(ReportFn report);

  // Closes the previous recording, then opens `readPath` (the chosen file, or
  // the decoder's WAV output for it), checks the format and reads the PCM.
  // `filePath` is the path as the user chose it. `onAccepted` runs once the
  // format is accepted, before the samples are read. False after the reader
  // has reported why; nothing is loaded then.
  bool Load(const std::string& filePath, const std::string& readPath,
            const std::function<void()>& onAccepted);
  // Closes the file and forgets the PCM and the path.
  void Close();

  // Vocal cut (1) or extract (2) was applied to the loaded PCM, taking `seconds`.
  void RecordVocalCut(int32_t mode, double seconds);
  // Applies vocal cut or extract to loaded stereo PCM in place and records
  // the mode and the time it took. Mono data is left alone. Returns the
  // seconds taken (0 for mono).
  double ApplyVocals(const VocalCutParams& params);
  // Stereo PCM becomes mono in place (the single-voice mode analyses one voice).
  void MixToMono();
  // The PCM, writable, for processing in place (vocal cut) on the UI thread
  // while nothing else reads it.
  WaveData& Data() { return m_waveData; }

  // A file is being read or decoded for this session (the window stays live
  // meanwhile, and the data commands must wait).
  void SetReading(bool reading) { m_reading = reading; }
  bool IsReading() const { return m_reading; }

  const std::string& FilePath() const { return m_filePath; }
  bool IsLoaded() const { return !m_waveData.m_samples.empty(); }
  // The WAV file stays open while its recording is loaded.
  bool IsFileOpen() const { return m_waveData.m_wave.IsOpen(); }
  const WaveFormat& Format() const { return m_waveData.m_wave.format; }
  int32_t DataSize() const { return m_waveData.m_wave.dataSize; }
  int32_t Channels() const { return m_waveData.m_wave.format.nChannels; }
  int32_t SourceBits() const { return m_waveData.m_sourceBits; }
  int32_t SampleRate() const { return m_sampleRate; }
  int32_t HopSize() const { return m_hopSize; }
  int32_t VocalCutApplied() const { return m_vocalCutApplied; }
  double VocalCutSeconds() const { return m_vocalCutSeconds; }
  // Whole analysis frames of the data: the end of a fresh loop range.
  int32_t WholeFrames() const;
  // Length of the recording in milliseconds, 0 when nothing is loaded.
  int32_t DurationMs() const;
  PcmView Pcm() const;

 private:
  // Tests describe a loaded recording without reading a file.
  friend struct RecordingSessionProbe;

  ReportFn m_report;
  std::string m_filePath;
  WaveData m_waveData;
  int32_t m_sampleRate = 44100;
  int32_t m_hopSize = 256;
  int32_t m_vocalCutApplied = 0;
  double m_vocalCutSeconds = 0.0;
  bool m_reading = false;
};

}  // namespace velmio
