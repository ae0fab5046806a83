#include "view/TestView.h"

#include <cstdio>
#include <filesystem>

#include "persist/SettingsFile.h"
#include "view/ColorTable.h"

namespace velmio {

CTestView::CTestView(Host& host, ProgramPaths paths, MidiOut* midi, WaveOutDevice& waveOut)
    : m_paths(std::move(paths)),
      m_waveData([this](const std::string& text) { ReportMessage(text); }),
      m_midiOutput(midi),
      m_playback(waveOut, MakePlaybackHooks()),
      m_host(host),
      m_midi(midi) {
  ReadSettingsFile(m_paths.iniPath, m_settings);
  m_display.m_colorTable = BuildColorTable(m_settings.m_colorMap);
  m_midiOutput.SendStartup(m_settings.m_midiProgram);
  BuildKernelBank(KernelParams{m_settings.m_binsPerSemitone, m_settings.m_windowMode,
                               m_settings.m_a4Frequency, m_sampleRate, m_hopSize},
                  m_kernelBank);
  m_seams.setEqualizerRate = [this](int sampleRate) { SetEqualizerRate(sampleRate); };
}

CTestView::~CTestView() {
  // The job reads the PCM, the bank and the result: it must be gone first.
  m_job.Abandon();
  // A click's note thread still sending would outlive the output otherwise.
  m_midiOutput.Shutdown();
  // The bank's presets go back into the settings before these are written.
  // The output is reset and closed by the engine's destruction, which the
  // members' order puts before that of the samples and the bank.
  SaveEqualizerPresets();
  WriteSettingsFile(m_paths.iniPath, m_settings, {});
  m_waveData.m_wave.Close();
  std::error_code ignored;
  if (!m_paths.tempWavPath.empty()) std::filesystem::remove(m_paths.tempWavPath, ignored);
}

void CTestView::ReportMessage(const std::string& text) {
  m_host.ShowMessage(text, MessageButtons::kOk);
}

void CTestView::ForceRender() {
  m_renderer.Cache().m_forceRender = 1;
}

RenderInputs CTestView::MakeRenderInputs() const {
  RenderInputs in;
  const ClientSize client = m_host.GetClientSize();
  const ScrollPoint scroll = m_host.GetScrollPosition();
  in.m_clientWidth = client.width;
  in.m_clientHeight = client.height;
  in.m_scrollX = scroll.x;
  in.m_scrollY = scroll.y;
  in.m_spectrogram = &m_spectrogram;
  in.m_analysisState = AnalysisState();
  in.m_analysisProgress = g_analysisProgress.load();
  in.m_lowNote = m_settings.m_lowNote;
  in.m_highNote = m_settings.m_highNote;
  in.m_binsPerSemitone = m_settings.m_binsPerSemitone;
  in.m_a4Frequency = m_settings.m_a4Frequency;
  in.m_sampleRate = m_sampleRate;
  in.m_hopSize = m_hopSize;
  in.m_levelTopDb = m_settings.m_levelTopDb;
  in.m_levelRangeDb = m_settings.m_levelRangeDb;
  in.m_colorMap = m_settings.m_colorMap;
  in.m_colorTable = &m_display.m_colorTable;
  in.m_hoverY = m_display.m_hoverY;
  in.m_showHarmonics = m_settings.m_showHarmonics;
  in.m_harmonicsCount = m_settings.m_harmonicsCount;
  in.m_frequencyGrid = m_display.m_frequencyGrid;
  in.m_formantEnabled = m_settings.m_formantEnabled;
  in.m_showPitch = m_pitch.m_showPitch;
  in.m_pitchTrack = m_pitch.m_pitchTrack.empty() ? nullptr : m_pitch.m_pitchTrack.data();
  in.m_pitchTrackLength = static_cast<int32_t>(m_pitch.m_pitchTrack.size());
  in.m_showWaveform = m_display.m_showWaveform;
  in.m_samples = m_waveData.m_samples.data();
  in.m_channels = m_waveData.m_wave.format.nChannels;
  in.m_dataSize = m_waveData.m_wave.dataSize;
  in.m_blockAlign = m_waveData.m_wave.format.nBlockAlign;
  in.m_barDisplay = m_display.m_barDisplay;
  in.m_tempo = m_tempo.tempo;
  in.m_beatsPerBar = m_tempo.beatsPerBar;
  in.m_beatUnit = m_tempo.beatUnit;
  in.m_startMs = m_tempo.startMs;
  in.m_loopEnabled = m_playback.m_loopEnabled;
  in.m_loopStartFrame = m_playback.m_loopStartFrame;
  in.m_loopEndFrame = m_playback.m_loopEndFrame;
  in.m_cursorFrame = m_playback.m_cursorFrame;
  return in;
}

void CTestView::DrawView(QPainter& window) {
  m_renderer.DrawView(window, MakeRenderInputs());
}

QImage CTestView::RenderToImage() {
  return RenderViewImage(MakeRenderInputs());
}

void CTestView::OnInitialUpdate() {
  if (m_display.m_scrollSizesDirty) {
    const ClientSize client = m_host.GetClientSize();
    ScrollSizes sizes;
    sizes.contentWidth = m_spectrogram.m_frameCount + 40;
    sizes.contentHeight = 8 * (m_settings.m_highNote - m_settings.m_lowNote) + 16;
    sizes.pageX = client.width > 40 ? client.width - 40 : 1;
    sizes.lineX = 1;
    sizes.pageY = sizes.contentHeight / 10;
    sizes.lineY = sizes.pageY / 10;
    m_host.SetScrollSizes(sizes);
    m_display.m_scrollSizesDirty = false;
  }
  DrawColorLegend(m_display.m_legend, m_host.LegendHeight(), &m_display.m_colorTable);
  m_host.SetLegendImage(m_display.m_legend);
  m_host.StartTimer(kTimerLegend, 1000);
  ForceRender();
}

}  // namespace velmio
