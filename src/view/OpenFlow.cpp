// Opening a recording, starting its analysis and taking the result over.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>

#include "audio/FfmpegDecoding.h"
#include "audio/PathNames.h"
#include "engine/AnalysisFootprint.h"
#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio {
namespace {

constexpr char kDecoderFilter[] =
    "音声ファイル(*.wav;*.mp3;*.mp4;*.aac;*.flv)|*.wav;*.mp3;*.mp4;*.aac;*.flv|"
    "すべてのファイル(*.*)|*.*|";
constexpr int kProgressTimerMs = 100;

// Every format the built-in decoding reads, then any file.
const std::string& BuiltInAudioFilter() {
  static const std::string filter = [] {
    std::string patterns;
    for (std::string_view extension : AudioFileExtensions()) {
      if (!patterns.empty()) patterns += ';';
      patterns += '*';
      patterns += extension;
    }
    return "音声ファイル(" + patterns + ")|" + patterns + "|すべてのファイル(*.*)|*.*|";
  }();
  return filter;
}

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

constexpr char kOutOfMemoryMessage[] = "メモリが足りないため、この録音は解析できません。";

// "1時間05分09秒" or "5分09秒".
std::string DurationText(int64_t seconds) {
  const int64_t h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
  return h > 0 ? Format("%lld時間%02lld分%02lld秒", static_cast<long long>(h),
                        static_cast<long long>(m), static_cast<long long>(s))
               : Format("%lld分%02lld秒", static_cast<long long>(m), static_cast<long long>(s));
}

std::string TooLongMessage(AnalysisFit fit, uint64_t neededBytes, uint64_t availableBytes,
                           int64_t longestSeconds) {
  constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
  const std::string why =
      fit == AnalysisFit::kTooManyCells
          ? std::string("この録音は長すぎて、解析データに収まりません。")
          : Format("この録音の解析には %.1f GB のメモリが必要ですが、使えるのは %.1f GB です。",
                   static_cast<double>(neededBytes) / kGiB,
                   static_cast<double>(availableBytes) / kGiB);
  return why + "\r\n今の設定で解析できる長さは " + DurationText(longestSeconds) + " までです。";
}

}  // namespace

bool CTestView::OnFileOpen() {
  return AskAndOpen(OpenMode::kRecording);
}

bool CTestView::AskAndOpen(OpenMode mode) {
  const std::optional<std::string> chosen =
      m_host.AskOpenPath(m_settings.HasDecoder() ? kDecoderFilter : BuiltInAudioFilter(), "wav");
  return chosen && Open(*chosen, mode);
}

DropKind CTestView::OpenDropped(const std::string& path) {
  const DropKind kind = ClassifyDroppedFile(path, m_settings);
  // Playing, paused or analysing: the data must not change under the job or the device.
  if (IsDataBusy()) return DropKind::kIgnore;
  if (kind == DropKind::kRecording) Open(path, OpenMode::kRecording);
  if (kind == DropKind::kAnalysisData) OpenAnalysisFile(path);
  return kind;
}

bool CTestView::Open(const std::string& path, OpenMode mode) {
  m_singleVoice.SetMode(mode == OpenMode::kSingleVoice);
  // Without a voice-conversion window, a saved analysis keeps the state one
  // would open with: this range, both sliders at 0.
  if (mode == OpenMode::kSingleVoice && !m_voiceDialog.IsOpen()) {
    m_settings.m_vcPresets[kVoiceFileSlot] =
        VcPreset{m_singleVoice.PitchLowNote(), m_singleVoice.PitchHighNote(), 0, 0};
  }
  m_host.ShowNotice("File reading.");
  m_host.Invalidate();
  const std::string source = ResolveSourcePath(path);
  if (source.empty()) return false;  // nothing was released: the previous recording stays
  // The flow's boundary: a recording too big for the memory that is left
  // is refused like any other file, and the program goes on.
  try {
    if (LoadRecording(path, source) && AnalysisFits()) {
      m_host.FileOpened(path);
      PrepareForAnalysis();
      StartAnalysisJob();
      return true;
    }
  } catch (const std::bad_alloc&) {
    ReportMessage(kOutOfMemoryMessage);
  }
  ShowNothingLoaded();
  return false;
}

bool CTestView::AnalysisFits() {
  const FrameGeometry g =
      ComputeFrameGeometry(m_recording.DataSize(), m_recording.Format().wBitsPerSample,
                           m_recording.Channels(), m_recording.HopSize(), m_settings.m_lowNote,
                           m_settings.m_highNote, m_settings.m_binsPerSemitone);
  const uint64_t available =
      m_seams.availableMemory ? m_seams.availableMemory() : AvailableMemoryBytes();
  const AnalysisFit fit = CheckAnalysisFit(g, available);
  if (fit == AnalysisFit::kFits) return true;
  const int64_t longest = LongestAnalysableFrames(m_recording.HopSize(), g.rowCount, available);
  ReportMessage(TooLongMessage(fit, FootprintOf(g).bytes, available,
                               longest / std::max(m_recording.SampleRate(), 1)));
  return false;
}

// A refused file leaves the window as at start-up, with nothing loaded, so
// that the title, the read-outs and the conditions report never describe a
// recording that is gone.
void CTestView::ShowNothingLoaded() {
  m_analysis.Forget();
  m_playback.ForgetRecording();
  m_recording.Close();
  m_singleVoice.ForgetMarks();
  m_host.SetWindowTitle("");
  UpdatePositionText(0);
  ShowVocalCutLabel(0);
  m_host.SetStatusText(kStatusPaneMessage, "");
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

void CTestView::SetPitchRange(int32_t lowNote, int32_t highNote) {
  m_singleVoice.SetPitchRange(lowNote, highNote);
}

bool CTestView::RerunAnalysis() {
  if (!m_recording.IsLoaded() || !m_singleVoice.PitchEnabled() || m_analysis.IsBusy()) return false;
  m_playback.Stop();
  m_singleVoice.SetMode(true);
  PrepareConversion();  // silent again; a rendering still running ends first
  m_singleVoice.ForgetMarks();
  StartAnalysisJob();
  return true;
}

bool CTestView::LoadRecording(const std::string& filePath, const std::string& readPath) {
  m_analysis.Forget();  // nothing runs here (the command is disabled while busy); be certain
  m_playback.ForgetRecording();
  m_conversion.Release();  // it reads the samples about to be replaced
  const std::string title = std::filesystem::path(filePath).filename().string();
  return m_recording.Load(filePath, readPath, [this, &title] { m_host.SetWindowTitle(title); });
}

void CTestView::PrepareForAnalysis() {
  ApplyVocalCut(m_settings.m_vocalCutMode);
  if (m_singleVoice.PitchEnabled()) {
    m_recording.MixToMono();
    PrepareConversion();
  }
  SetEqualizerRate(m_recording.SampleRate());
  m_analysis.PrepareKernels(m_settings.Analysis(), m_recording.SampleRate());
  UpdatePositionText(0);
  UpdateLevelLabels();
  m_singleVoice.ForgetMarks();
  const bool loopWasOn = m_playback.LoopEnabled();
  m_playback.ResetLoop(m_recording.WholeFrames());
  if (loopWasOn) {
    ShowLoopLabel();
    ForceRender();
  }
  m_tempo = TempoGrid{};
}

// Stereo only: the label says what was done to the PCM.
void CTestView::ApplyVocalCut(int32_t mode) {
  if (m_recording.Channels() == 2 && mode > 0) {
    // The grey picture stays until the view repaints after the (blocking) run.
    m_host.ShowNotice(mode == 1 ? "Vocal cuting." : "Vocal extracting.");
    VocalCutParams params;
    params.mode = mode == 1 ? VocalMode::kCut : VocalMode::kExtract;
    params.lowestNote = m_settings.m_vocalLowestNote;
    params.a4Frequency = m_settings.m_a4Frequency;
    m_recording.ApplyVocals(params);
  }
  ShowVocalCutLabel(m_recording.VocalCutApplied());
}

void CTestView::StartAnalysisJob() {
  const PcmView pcm = m_recording.Pcm();
  const AnalysisSource source{pcm.samples, pcm.dataSize, pcm.format.nChannels,
                              pcm.format.wBitsPerSample};
  m_host.ScrollTo({0, 0});
  m_host.StartTimer(kTimerProgress, kProgressTimerMs);
  // The job rewrites the mono signal a rendering reads: none may run on.
  m_conversion.SetVoice({}, {});
  m_analysis.SetPitchRange(m_singleVoice.PitchLowNote(), m_singleVoice.PitchHighNote());
  m_analysis.Start(source, m_singleVoice.PitchEnabled());
  m_host.CommandStatesChanged();
}

void CTestView::OnTimer(int id) {
  if (id == kTimerPlayback) {
    OnPlaybackTimer();
  } else if (id == kTimerLegend) {
    m_host.SetLegendImage(m_display.Legend(m_host.LegendHeight(), false));
  } else if (id == kTimerProgress) {
    OnProgressTimer();
  } else if (id == kTimerConversion) {
    OnConversionWatch();
  }
}

void CTestView::OnProgressTimer() {
  const AnalysisState state = m_analysis.State();
  if (state == AnalysisState::kFinished && m_analysis.Failed()) {
    m_analysis.TakeOver();  // lets the job thread end
    m_host.StopTimer(kTimerProgress);
    ReportMessage(kOutOfMemoryMessage);
    ShowNothingLoaded();
    return;
  }
  if (state == AnalysisState::kFinished) {
    // A short analysis ends between two ticks: its last stage is still shown
    // complete before the completion line.
    const AnalysisParams& params = m_analysis.Params();
    const bool transformLast = !m_singleVoice.PitchEnabled() && !params.formantEnabled;
    if (transformLast) ShowProgress(AnalysisState::kTransform, g_analysisProgress.load());
    TakeOverResult();
    return;
  }
  ShowProgress(state, g_analysisProgress.load());
}

void CTestView::ShowProgress(AnalysisState stage, int32_t progress) {
  std::string text;
  if (stage == AnalysisState::kTransform) {
    text = Format(" %3d%% completed.", progress);
  } else if (stage == AnalysisState::kPitch) {
    text = "Pitch detecting";
  } else if (stage == AnalysisState::kFormants) {
    text = "Formant detecting";
  }
  if (text.empty() || !m_display.TakeProgress(static_cast<int32_t>(stage), progress)) return;
  m_host.SetStatusText(kStatusPaneMessage, text);
  m_host.Invalidate();
}

void CTestView::TakeOverResult() {
  m_renderer.Cache().ClearKey();
  if (m_singleVoice.PitchEnabled()) m_singleVoice.TakeDetection(m_analysis.TakePitch());
  TakeOverVoice();
  m_display.SetBarDisplay(false);
  m_display.MarkScrollSizesDirty();
  OnInitialUpdate();
  if (m_display.OpensAtMiddleOfRange()) {
    const int32_t contentHeight = ViewRowCount(m_analysis.Params()) + kRulerHeight;
    m_host.ScrollTo({0, std::max(contentHeight - m_host.GetClientSize().height, 0) / 2});
  }
  UpdateLevelLabels();
  // Start and cursor back to 0, the output format of the data, stopped.
  m_playback.TakeOver(m_recording.Channels(), m_recording.SampleRate());
  const double seconds = m_recording.VocalCutSeconds() + m_analysis.Seconds();
  m_host.SetStatusText(kStatusPaneMessage, Format("処理時間  %.1f 秒  (%dch %dbit %dHz)", seconds,
                                                  m_recording.Channels(), m_recording.SourceBits(),
                                                  m_recording.SampleRate()));
  // Once the state reads 3 the job thread ends; the timer is not needed any more.
  m_analysis.TakeOver();
  m_host.StopTimer(kTimerProgress);
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

void CTestView::ShowVocalCutLabel(int mode) {
  const char* text = mode == 0 ? "" : mode == 1 ? "ボーカルカット" : "ボーカル抽出　";
  m_host.SetControlText(kControlVocalMode, text);
}

}  // namespace velmio
