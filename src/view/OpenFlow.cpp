// Opening a recording, starting its analysis and taking the result over.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "view/ColorTable.h"
#include "view/TestView.h"

namespace velmio {
namespace {

constexpr char kWaveOnlyFilter[] = "音声ファイル(*.wav)|*.wav||";
constexpr char kDecoderFilter[] =
    "音声ファイル(*.wav;*.mp3;*.mp4;*.aac;*.flv)|*.wav;*.mp3;*.mp4;*.aac;*.flv|"
    "すべてのファイル(*.*)|*.*|";

std::string UpperExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension;
}

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

bool CTestView::OnFileOpen() {
  m_pitch.m_pitchEnabled = 0;
  m_pitch.m_showPitch = 0;
  return OpenAndAnalyse();
}

bool CTestView::OpenAndAnalyse() {
  const bool decoder = m_settings.m_decoderPath != "none";
  if (m_pendingPath.empty()) {
    std::optional<std::string> chosen =
        m_host.AskOpenPath(decoder ? kDecoderFilter : kWaveOnlyFilter, "wav");
    if (!chosen) return false;
    m_filePath = *chosen;
  } else {
    m_filePath = m_pendingPath;
    m_pendingPath.clear();
  }
  m_host.ShowNotice("File reading.");
  m_host.Invalidate(true);
  const std::string source = ResolveSourcePath();
  if (source.empty()) return false;
  if (!LoadRecording(source)) return false;
  PrepareForAnalysis();
  StartAnalysisJob();
  return true;
}

// The path to read: the file itself, or the decoder's WAV output when the file
// is not a WAV file and a decoder is configured. Empty when decoding failed.
std::string CTestView::ResolveSourcePath() {
  const bool decoder = m_settings.m_decoderPath != "none";
  if (UpperExtension(m_filePath) == ".WAV" || !decoder || !m_seams.runDecoder) return m_filePath;
  return m_seams.runDecoder(m_filePath, m_paths.tempWavPath) ? m_paths.tempWavPath : std::string();
}

bool CTestView::LoadRecording(const std::string& path) {
  m_job.Abandon();  // nothing runs here (the command is disabled while busy); be certain
  m_job.m_analysisState.store(kAnalysisIdle);
  ForgetRecordingForPlayback();
  m_waveData.m_wave.Close();
  if (m_waveData.m_wave.OpenRead(path) != 0) {
    m_waveData.m_wave.Close();  // a file refused after opening would stay open
    return false;
  }
  const std::string title = std::filesystem::path(m_filePath).filename().string();
  return LoadPcm(
      m_waveData, [this](const std::string& text) { ReportMessage(text); },
      [this, &title] { m_host.SetWindowTitle(title); });
}

void CTestView::PrepareForAnalysis() {
  WaveFormat& format = m_waveData.m_wave.format;
  m_vocalCutSeconds = 0.0;
  // Without the vocal-cut tool nothing is applied, and the label must not say otherwise.
  const bool cut = format.nChannels == 2 && m_settings.m_vocalCutMode > 0 && m_seams.applyVocalCut;
  m_vocalCutApplied = cut ? m_settings.m_vocalCutMode : 0;
  if (cut) m_vocalCutSeconds = m_seams.applyVocalCut(m_waveData, m_vocalCutApplied);
  ShowVocalCutLabel(m_vocalCutApplied);
  if (m_pitch.m_pitchEnabled) {
    if (format.nChannels == 2) MixPcmToMono(m_waveData);
    m_pitch.m_convertedSamples.Reset(static_cast<std::size_t>(m_waveData.m_wave.dataSize) / 2);
    m_pitch.m_olaBuffer.Reset(static_cast<std::size_t>(m_waveData.m_wave.dataSize));
  }
  m_sampleRate = static_cast<int32_t>(format.nSamplesPerSec);
  m_hopSize = m_sampleRate * 256 / 44100;
  if (m_seams.setEqualizerRate) m_seams.setEqualizerRate(m_sampleRate);
  BuildKernelBankForRecording();
  UpdatePositionText(0);
  UpdateLevelLabels();
  m_pitch.m_markCount = 0;
  const bool loopWasOn = m_playback.m_loopEnabled != 0;
  const int32_t blockAlign = std::max<int32_t>(format.nBlockAlign, 1);
  m_playback.ResetLoop(m_waveData.m_wave.dataSize / blockAlign / std::max(m_hopSize, 1));
  if (loopWasOn) {
    ShowLoopLabel();
    ForceRender();
  }
  m_tempo.tempo = 0;
  if (m_seams.clearTempo) m_seams.clearTempo();
}

void CTestView::BuildKernelBankForRecording() {
  BuildKernelBank(KernelParams{m_settings.m_binsPerSemitone, m_settings.m_windowMode,
                               m_settings.m_a4Frequency, m_sampleRate, m_hopSize},
                  m_kernelBank);
}

void CTestView::StartAnalysisJob() {
  AnalysisInput input;
  input.samples = m_waveData.m_samples.data();
  input.dataSize = m_waveData.m_wave.dataSize;
  input.channels = m_waveData.m_wave.format.nChannels;
  input.bitsPerSample = m_waveData.m_wave.format.wBitsPerSample;
  input.hopSize = m_hopSize;
  input.lowNote = m_settings.m_lowNote;
  input.highNote = m_settings.m_highNote;
  input.binsPerSemitone = m_settings.m_binsPerSemitone;
  input.bank = &m_kernelBank;
  input.pitchEnabled = m_pitch.m_pitchEnabled != 0;
  input.formantEnabled = m_settings.m_formantEnabled != 0;
  m_host.ScrollTo({0, 0});
  m_host.StartTimer(kTimerProgress, 100);
  m_job.Start(input, m_spectrogram);
  m_host.CommandStatesChanged();
}

void CTestView::OnTimer(int id) {
  if (id == kTimerPlayback) {
    OnPlaybackTimer();
    return;
  }
  if (id == kTimerLegend) {
    DrawColorLegend(m_display.m_legend, m_host.LegendHeight(), nullptr);
    m_host.SetLegendImage(m_display.m_legend);
    return;
  }
  if (id != kTimerProgress) return;
  const int state = AnalysisState();
  if (state == kAnalysisFinished) {
    TakeOverResult();
    return;
  }
  const int progress = g_analysisProgress.load();
  if (progress == m_display.m_lastProgressShown) return;
  if (state == kAnalysisTransform) {
    m_host.SetStatusText(kStatusPaneMessage, Format(" %3d%% completed.", progress));
  } else if (state == kAnalysisPitch) {
    m_host.SetStatusText(kStatusPaneMessage, "Pitch detecting");
  } else if (state == kAnalysisFormants) {
    m_host.SetStatusText(kStatusPaneMessage, "Formant detecting");
  } else {
    return;
  }
  m_host.Invalidate(false);
  m_display.m_lastProgressShown = progress;
}

void CTestView::TakeOverResult() {
  m_renderer.Cache().ClearKey();
  m_display.m_barDisplay = 0;
  m_display.m_scrollSizesDirty = true;
  OnInitialUpdate();
  UpdateLevelLabels();
  // Start and cursor back to 0, the output format of the data, stopped.
  m_playback.TakeOver(m_waveData.m_wave.format.nChannels, m_sampleRate);
  const double seconds = m_vocalCutSeconds + m_job.m_analysisSeconds;
  m_host.SetStatusText(kStatusPaneMessage,
                       Format("処理時間  %.1f 秒  (%dch %dbit %dHz)", seconds,
                              static_cast<int>(m_waveData.m_wave.format.nChannels),
                              m_waveData.m_sourceBits, m_sampleRate));
  // Once the state reads 3 the job thread ends; the timer is not needed any more.
  m_job.TakeOver();
  m_host.StopTimer(kTimerProgress);
  m_host.Invalidate(true);
  m_host.CommandStatesChanged();
}

void CTestView::ShowVocalCutLabel(int mode) {
  const char* text = mode == 0 ? "" : mode == 1 ? "ボーカルカット" : "ボーカル抽出　";
  m_host.SetControlText(kControlVocalMode, text);
}

}  // namespace velmio
