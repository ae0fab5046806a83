#pragma once
// CTestView: the one owner of the open recording's state and the flows that
// change it. A plain class driven by calls (commands, timers, mouse, scroll,
// resize, paint) that reaches the user only through its Host. All members run
// on the UI thread; the analysis job runs on its own thread and meets the view
// only through the analysis state.
#include <QPainter>
#include <memory>
#include <string>

#include "audio/Equalizer.h"
#include "audio/PcmLoading.h"
#include "audio/PlaybackEngine.h"
#include "audio/WaveOutDevice.h"
#include "engine/AnalysisJob.h"
#include "engine/AnalysisSettings.h"
#include "engine/KernelBank.h"
#include "engine/Spectrogram.h"
#include "view/Host.h"
#include "view/MidiNoteOutput.h"
#include "view/MidiOut.h"
#include "view/SpectrogramRenderer.h"
#include "view/ViewSeams.h"
#include "view/ViewState.h"

namespace velmio {

class CTestView {
 public:
  // Start-up: defaults, the settings file, the colour table, the MIDI output,
  // the kernel bank for 44.1 kHz. `midi` may be null (no synthesizer); the
  // sound output `waveOut` must outlive the view.
  CTestView(Host& host, ProgramPaths paths, MidiOut* midi, WaveOutDevice& waveOut);
  // Shutdown: stops a running analysis before its buffers go, closes the
  // sound output, writes the settings file, closes the recording and deletes
  // the temporary WAV file.
  ~CTestView();
  CTestView(const CTestView&) = delete;
  CTestView& operator=(const CTestView&) = delete;

  // --- Opening and analysing ---
  // File > Open: single-voice mode off, then the open flow.
  bool OnFileOpen();
  // Opens m_pendingPath, or asks for a file, loads it and starts the analysis.
  // True when a job was started.
  bool OpenAndAnalyse();
  // Window timers: 1 playback cursor, 2 progress and take-over, 3 legend repaint.
  void OnTimer(int id);
  void ShowVocalCutLabel(int mode);

  // Busy rule of the command table.
  int AnalysisState() const { return m_job.State(); }
  bool IsAnalysisBusy() const { return velmio::IsAnalysisBusy(AnalysisState()); }
  bool IsPlayingOrPaused() const { return m_playback.m_playState >= 1; }
  bool IsDataBusy() const { return IsAnalysisBusy() || IsPlayingOrPaused(); }
  // Frames of the result, for the window events: 0 while a job is writing
  // the result (reading its frame count then would race with the job).
  int32_t ShownFrameCount() const { return IsAnalysisBusy() ? 0 : m_spectrogram.m_frameCount; }

  // --- Display commands ---
  void OnGainUp();
  void OnGainDown();
  void OnRangeUp();
  void OnRangeDown();
  void OnToggleHarmonics();
  void OnToggleWaveform();
  void OnTogglePitch();
  void OnToggleGrid();
  void UpdateLevelLabels();
  // Grey scale (0) or colour (1): rebuilds the colour table and the legend.
  void SetColorMap(int colorMap);
  // Time and bar read-outs; a negative position repeats the last one.
  void UpdatePositionText(int32_t positionMs);

  // --- Window events ---
  void OnHScroll(int32_t position);
  void OnVScroll(int32_t position);
  void OnSize(int32_t width, int32_t height);
  // True when the background needs no erasing (the paint covers it all).
  bool OnEraseBackground() const { return ShownFrameCount() != 0; }
  void OnMouseMove(int32_t x, int32_t y);
  void OnLButtonDblClk(int32_t x, int32_t y);
  // Left click: sounds the pitch row under y for half a second, unless a note
  // still sounds. UI thread.
  void OnLButtonDown(int32_t x, int32_t y);
  // The settings' instrument, 1-based as the user enters it: a program change
  // goes out only when the program changes. Kept to programs 0 ... 127.
  void SetMidiInstrument(int32_t number);
  // The view's initial update: scroll sizes when due, legend, timer 3.
  void OnInitialUpdate();

  // --- Playback (the commands of the 演奏 menu, the loop popup, timer 1) ---
  void OnPlay();
  void OnStop();
  void OnPause();
  void OnRewind();
  void OnToggleLoop();
  // Loop start / end at the column of the right click that opened the popup.
  void OnSetLoopStart(int32_t x);
  void OnSetLoopEnd(int32_t x);
  // The equalizer bank that playback passes its blocks through: made on first
  // use for the current rate with the presets of the settings, kept until the
  // view goes (its presets are written back then). UI thread.
  Equalizer& EqualizerBank();
  bool HasEqualizerBank() const { return m_equalizer != nullptr; }

  // --- Drawing ---
  // Paints the client area (waiting picture, or the cached spectrogram and the cursor).
  void DrawView(QPainter& window);
  // The picture a paint would show now, cursor included (for saving as PNG).
  QImage RenderToImage();
  RenderInputs MakeRenderInputs() const;
  // Whatever changed the picture calls this: re-render on the next paint.
  void ForceRender();

  // --- State, by concern ---
  AnalysisSettings m_settings;
  ProgramPaths m_paths;
  std::string m_filePath;
  std::string m_pendingPath;
  WaveData m_waveData;
  int32_t m_sampleRate = 44100;
  int32_t m_hopSize = 256;
  int32_t m_vocalCutApplied = 0;
  double m_vocalCutSeconds = 0.0;
  KernelBank m_kernelBank;
  Spectrogram m_spectrogram;
  AnalysisJob m_job;
  DisplayState m_display;
  PitchState m_pitch;
  TempoSettings m_tempo;
  ViewSeams m_seams;
  MidiNoteOutput m_midiOutput;
  // Declared after the bank and the recording: the engine, and with it the
  // open output, goes before the samples and the filters it reads.
  std::unique_ptr<Equalizer> m_equalizer;
  PlaybackEngine m_playback;

 private:
  void ReportMessage(const std::string& text);
  std::string ResolveSourcePath();
  bool LoadRecording(const std::string& path);
  void PrepareForAnalysis();
  void StartAnalysisJob();
  void TakeOverResult();
  void BuildKernelBankForRecording();
  void ApplyDisplayChange(bool levels);
  PlaybackHooks MakePlaybackHooks();
  PlaybackSource RecordingForPlayback() const;
  void RevealPlayStart(int32_t frame);
  void OnPlaybackTimer();
  void FollowCursor(int32_t frame);
  void SetLoopPoint(int32_t x, bool end);
  void ShowLoopLabel();
  void SetEqualizerRate(int sampleRate);
  void SaveEqualizerPresets();
  void ForgetRecordingForPlayback();

  Host& m_host;
  MidiOut* m_midi;
  SpectrogramRenderer m_renderer;
};

}  // namespace velmio
