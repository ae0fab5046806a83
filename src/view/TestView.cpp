// The view's life (start-up, shutdown), the models it returns and the
// renderer's inputs gathered from the components.
#include "view/TestView.h"

#include <filesystem>

#include "persist/SettingsFile.h"
#include "view/ColorTable.h"
#include "view/ViewGeometry.h"

namespace velmio {
namespace {

AnalysisSlice AnalysisSliceOf(const Analysis& analysis) {
  AnalysisSlice slice;
  slice.m_analysisState = analysis.State();
  slice.m_analysisProgress = g_analysisProgress.load();
  slice.m_spectrogram = &analysis.Result();
  const AnalysisParams& params = analysis.Params();
  slice.m_lowNote = params.lowNote;
  slice.m_highNote = params.highNote;
  slice.m_binsPerSemitone = params.binsPerSemitone;
  slice.m_a4Frequency = params.a4Frequency;
  slice.m_formantEnabled = params.formantEnabled;
  slice.m_sampleRate = analysis.Kernels().sampleRate;
  slice.m_hopSize = analysis.Kernels().hopSize;
  return slice;
}

WaveformSlice WaveformSliceOf(const RecordingSession& recording) {
  const PcmView pcm = recording.Pcm();
  return WaveformSlice{pcm.samples, pcm.format.nChannels, pcm.dataSize, pcm.format.nBlockAlign};
}

PlaybackSlice PlaybackSliceOf(const PlaybackEngine& playback) {
  return PlaybackSlice{playback.LoopEnabled(), playback.LoopStartFrame(), playback.LoopEndFrame(),
                       playback.CursorFrame()};
}

}  // namespace

CTestView::CTestView(Host& host, ProgramPaths paths, MidiOut* midi, WaveOutDevice& waveOut)
    : m_host(host),
      m_paths(std::move(paths)),
      m_recording([this](const std::string& text) { ReportMessage(text); }),
      m_display(m_settings.m_colorMap),
      m_midiOutput(midi),
      m_playback(waveOut, MakePlaybackHooks()) {
  ReadSettingsFile(m_paths.iniPath, m_settings);
  m_display.SetColorMap(m_settings.m_colorMap);
  m_midiOutput.SendStartup(m_settings.m_midiProgram);
  m_analysis.PrepareKernels(m_settings.Analysis(), m_recording.SampleRate());
}

CTestView::~CTestView() {
  // The job reads the PCM, the bank and the result: it must be gone first.
  m_analysis.Abandon();
  // A click's note thread still sending would outlive the output otherwise.
  m_midiOutput.Shutdown();
  // The output is reset and closed by the engine's destruction, which the
  // members' order puts before that of the samples and the bank.
  WriteSettingsFile(m_paths.iniPath, m_settings, {});
  m_recording.Close();
  std::error_code ignored;
  if (!m_paths.tempWavPath.empty()) std::filesystem::remove(m_paths.tempWavPath, ignored);
}

void CTestView::ReportMessage(const std::string& text) {
  m_host.ShowMessage(text, MessageButtons::kOk);
}

void CTestView::UseSettings(const AnalysisSettings& settings) {
  if (m_analysis.IsBusy()) return;
  m_settings = settings;
  m_display.SetColorMap(m_settings.m_colorMap);
  m_analysis.PrepareKernels(m_settings.Analysis(), m_recording.SampleRate());
  ForceRender();
}

void CTestView::ForceRender() {
  m_renderer.Cache().m_forceRender = 1;
}

RenderInputs CTestView::MakeRenderInputs() const {
  RenderInputs in;
  const ClientSize client = m_host.GetClientSize();
  const ScrollPoint scroll = m_host.GetScrollPosition();
  in.viewport = ViewportSlice{client.width, client.height, scroll.x, scroll.y};
  in.analysis = AnalysisSliceOf(m_analysis);
  in.display = m_display.Slice(m_settings);
  in.pitch = m_singleVoice.Slice();
  in.waveform = WaveformSliceOf(m_recording);
  in.tempo = m_tempo;
  in.playback = PlaybackSliceOf(m_playback);
  in.zoom.scale = m_display.Scale();
  return in;
}

void CTestView::DrawView(QPainter& window) {
  m_renderer.DrawView(window, MakeRenderInputs());
}

QImage CTestView::RenderToImage() {
  return RenderViewImage(MakeRenderInputs());
}

void CTestView::OnInitialUpdate() {
  if (m_display.TakeScrollSizesDirty()) {
    const ClientSize client = m_host.GetClientSize();
    ScrollSizes sizes;
    sizes.contentWidth =
        m_display.Scale().ColumnCount(m_analysis.Result().m_frameCount) + kKeyboardWidth;
    sizes.contentHeight = ViewRowCount(m_analysis.Params()) + kRulerHeight;
    sizes.pageX = client.width > kKeyboardWidth ? client.width - kKeyboardWidth : 1;
    sizes.lineX = 1;
    sizes.pageY = sizes.contentHeight / 10;
    sizes.lineY = sizes.pageY / 10;
    m_host.SetScrollSizes(sizes);
  }
  m_host.SetLegendImage(m_display.Legend(m_host.LegendHeight(), true));
  m_host.StartTimer(kTimerLegend, 1000);
  ForceRender();
}

void CTestView::OnNewDocument() {
  if (m_analysis.ShownFrameCount() > 0) m_display.MarkScrollSizesDirty();
  OnInitialUpdate();
  m_host.Invalidate();
}

ViewStatus CTestView::Status() const {
  ViewStatus status;
  status.playState = m_playback.State();
  status.analysisState = m_analysis.State();
  // The job writes the result while it runs; read it only when no job does.
  if (!m_analysis.IsBusy()) {
    status.hasDisplayMatrix = !m_analysis.Result().m_levelDb.empty();
    status.frameCount = m_analysis.Result().m_frameCount;
  }
  status.showHarmonics = m_settings.m_showHarmonics != 0;
  status.barDisplay = m_display.BarDisplay();
  status.pitchEnabled = m_singleVoice.PitchEnabled();
  status.showPitch = m_singleVoice.ShowsPitch();
  status.showWaveform = m_display.ShowsWaveform();
  status.frequencyGrid = m_display.FrequencyGrid();
  status.loopEnabled = m_playback.LoopEnabled();
  status.speedPercent = m_playback.Stretch().speedPercent;
  status.transposed = m_playback.Stretch().semitones != 0 || m_playback.Stretch().cents != 0;
  status.voiceDialogOpen = m_voiceDialog.IsOpen();
  status.zoomStep = ZoomStep();
  return status;
}

AnalysisFileContents CTestView::AnalysisSnapshot() const {
  AnalysisFileContents contents;
  const Spectrogram& result = m_analysis.Result();
  const AnalysisParams& params = m_analysis.Params();
  contents.frameCount = result.m_frameCount;
  contents.levelTopDb = m_settings.m_levelTopDb;
  contents.levelRangeDb = m_settings.m_levelRangeDb;
  contents.lowNote = params.lowNote;
  contents.highNote = params.highNote;
  contents.filePath = m_recording.FilePath();
  contents.levelDb = result.m_levelDb.span();
  contents.frameEnergy = result.m_frameEnergy.span();
  contents.tempo = m_tempo;
  contents.vocalCutApplied = m_recording.VocalCutApplied();
  contents.vocalLowestNote = m_settings.m_vocalLowestNote;
  m_singleVoice.DescribeForSaving(contents);
  // The voice-conversion window's state as it is now; without a window, the
  // state kept for the file (opened with, or read back from a saved analysis).
  contents.windowState =
      m_voiceDialog.IsOpen() ? m_voiceDialog.Current() : m_settings.m_vcPresets[kVoiceFileSlot];
  // A pitch flag is only saved with whole pitch data behind it; a track that
  // does not cover the frames (no detection ran) has nothing to restore.
  if (contents.pitchEnabled != 0 &&
      contents.pitchTrack.size() != static_cast<std::size_t>(contents.frameCount)) {
    contents.pitchEnabled = 0;
    contents.pitchTrack = {};
    contents.markCount = 0;
  }
  if (contents.markCount > 0 &&
      (contents.pitchMarks.size() < static_cast<std::size_t>(contents.markCount) + 1 ||
       contents.periodPeaks.size() < static_cast<std::size_t>(contents.markCount) + 1)) {
    contents.markCount = 0;
    contents.pitchMarks = {};
    contents.periodPeaks = {};
  }
  return contents;
}

const AnalysisSettings& CTestView::Settings() const {
  return m_settings;
}

const ProgramPaths& CTestView::Paths() const {
  return m_paths;
}

const RecordingSession& CTestView::Recording() const {
  return m_recording;
}

const Analysis& CTestView::CurrentAnalysis() const {
  return m_analysis;
}

const DisplayState& CTestView::Display() const {
  return m_display;
}

const SingleVoiceState& CTestView::SingleVoice() const {
  return m_singleVoice;
}

const TempoGrid& CTestView::Tempo() const {
  return m_tempo;
}

const PlaybackEngine& CTestView::Playback() const {
  return m_playback;
}

MidiNoteOutput& CTestView::NoteOutput() {
  return m_midiOutput;
}

ViewSeams& CTestView::Seams() {
  return m_seams;
}

}  // namespace velmio
