#include "audio/VoiceFileConversion.h"

#include <algorithm>

#include "audio/ConversionSession.h"
#include "audio/ConvertedWave.h"
#include "audio/RecordingSession.h"
#include "engine/AnalysisJob.h"
#include "engine/PitchDetection.h"
#include "engine/Spectrogram.h"

namespace velmio {

int ConvertVoiceFile(const VoiceFileConversion& request, const ReportFn& report) {
  RecordingSession recording(report);
  if (!recording.Load(request.input, request.input, [] {})) return 1;
  recording.MixToMono();
  const PcmView pcm = recording.Pcm();
  const std::span<const int16_t> samples(
      pcm.samples, std::min(pcm.sampleCount, static_cast<std::size_t>(pcm.dataSize / 2)));

  // The analysis' mono signal: the samples as float, zero up to its padded length.
  const FrameGeometry geometry = ComputeFrameGeometry(
      pcm.dataSize, 16, 1, recording.HopSize(), request.analysisLowNote, request.analysisHighNote,
      request.binsPerSemitone);
  AlignedBuffer<float> signal(static_cast<std::size_t>(geometry.paddedLength));
  MixToMonoSignal(pcm.samples, 1, geometry.sampleFrames, signal.data());

  PitchSettings settings;
  settings.sampleRate = recording.SampleRate();
  settings.a4Frequency = request.a4Frequency;
  settings.hopSize = recording.HopSize();
  settings.highNote = request.analysisHighNote;
  settings.pitchLowNote = request.pitchLowNote;
  settings.pitchHighNote = request.pitchHighNote;
  const PitchResult pitch = DetectPitch(signal.span(), geometry.frameCount, settings);

  ConversionSession session;
  session.Prepare(samples);
  session.SetVoice(signal.span(), pitch.m_pitchMarks);
  session.StartConversion(request.ratios);
  session.WaitAndTake();
  // Both ratios 1: the recording itself, as the save writes it then.
  const std::span<const int16_t> converted =
      request.ratios.IsIdentity() ? samples : session.ConvertedSamples();
  return SaveConvertedWave(request.output, converted, recording.SampleRate(), report) ? 0 : 1;
}

}  // namespace velmio
