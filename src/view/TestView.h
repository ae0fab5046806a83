#pragma once
// CTestView: the open recording and the flows that change it. It owns the
// components that hold the state (the recording session, the analysis, the
// display state, the single-voice state, the tempo grid, the playback engine,
// the MIDI note), wires them together and reaches the user only through its
// Host. The window and velmio-cli drive it through its verbs (commands,
// timers, mouse, scroll, resize, paint) and read the models it returns; no
// state is public. All members run on the UI thread; the analysis job runs on
// its own thread and meets the view only through the analysis state.
#include <QPainter>
#include <memory>
#include <string>

#include "audio/Equalizer.h"
#include "audio/PlaybackEngine.h"
#include "audio/RecordingSession.h"
#include "audio/WaveOutDevice.h"
#include "engine/Analysis.h"
#include "engine/TempoGrid.h"
#include "persist/AnalysisFile.h"
#include "persist/AnalysisSettings.h"
#include "view/DisplayState.h"
#include "view/DropRouting.h"
#include "view/Host.h"
#include "view/MidiNoteOutput.h"
#include "view/MidiOut.h"
#include "view/ProgramPaths.h"
#include "view/SingleVoiceState.h"
#include "view/SpectrogramRenderer.h"
#include "view/ViewSeams.h"
#include "view/ViewStatus.h"

namespace velmio {

// How a recording is opened: as music, or as one voice whose pitch is detected.
enum class OpenMode { kRecording, kSingleVoice };

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
  // File > Open: asks for a file and opens it as a recording.
  bool OnFileOpen();
  // The open flow on `path`: loads it and starts the analysis. True when a
  // job was started; false after the failure has been reported.
  bool Open(const std::string& path, OpenMode mode);
  // A file dropped on the view or named on the command line: a recording is
  // opened as by File > Open. Returns what the file was taken for.
  DropKind OpenDropped(const std::string& path);
  // Window timers: 1 playback cursor, 2 progress and take-over, 3 legend repaint.
  void OnTimer(int id);

  // --- The settings record ---
  const AnalysisSettings& Settings() const;
  // Replaces the whole record (batch runs choose their own). The kernel bank
  // and the colour table follow it. Not while busy.
  void UseSettings(const AnalysisSettings& settings);

  // --- Display commands ---
  void OnGainUp();
  void OnGainDown();
  void OnRangeUp();
  void OnRangeDown();
  // Display gain and range in dB at once (batch rendering).
  void SetLevels(int32_t topDb, int32_t rangeDb);
  void OnToggleHarmonics();
  // How many harmonics the hover band shows, 2 ... 8.
  void SetHarmonicsCount(int32_t count);
  void OnToggleWaveform();
  void OnTogglePitch();
  void OnToggleGrid();
  // Grey scale (0) or colour (1): rebuilds the colour table and the legend.
  void SetColorMap(int colorMap);
  // File > New: the view is initialised again (scroll sizes, legend, its
  // timer); the loaded recording and its result stay.
  void OnNewDocument();

  // --- Window events ---
  void OnHScroll(int32_t position);
  void OnVScroll(int32_t position);
  void OnSize(int32_t width, int32_t height);
  // A mouse move over the client area; re-renders the hover band at most
  // every 50 ms.
  void OnMouseMove(int32_t x, int32_t y);
  // The hover band at client row y, at once (batch rendering).
  void SetHover(int32_t y);
  void OnLButtonDblClk(int32_t x, int32_t y);
  // Left click: sounds the pitch row under y for half a second, unless a note
  // still sounds.
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
  // True when a right click at the client may open the loop popup.
  bool AcceptsLoopPopup() const;
  // Speed and transposition of playback, brought into range; heard at once
  // while playing. Kept across files (the window remembers them).
  void SetPlaybackStretch(const StretchSettings& settings);
  const StretchSettings& PlaybackStretch() const { return m_playback.Stretch(); }
  // The stretch commands: a 5 % step slower or faster, a preset speed, a
  // transposition step in semitones or cents, back to 100 % / 0 / 0.
  void OnSpeedStep(int direction);
  void OnSpeedPreset(double speedPercent);
  void OnTranspose(int semitones);
  void OnTransposeCents(int cents);
  void OnStretchReset();

  // --- The equalizer ---
  // The bank that playback passes its blocks through: made on first use for
  // the current rate with the presets of the settings, kept until the view
  // goes.
  Equalizer& EqualizerBank();
  bool HasEqualizerBank() const { return m_equalizer != nullptr; }
  // The bank's current gains and Q become preset 1 ... 4, in the bank and in
  // the settings record at once (it reaches the settings file however the
  // program ends).
  void StoreEqualizerPreset(int preset);

  // --- Drawing ---
  // Paints the client area (waiting picture, or the cached spectrogram and the cursor).
  void DrawView(QPainter& window);
  // The picture a paint would show now, cursor included (for saving or printing).
  QImage RenderToImage();
  // Whatever changed the picture calls this: re-render on the next paint.
  void ForceRender();

  // --- Models for the window and batch runs ---
  // What the command rules read.
  ViewStatus Status() const;
  // Busy rule: an analysis runs or waits, or playback plays or is paused.
  bool IsDataBusy() const { return m_analysis.IsBusy() || m_playback.IsPlayingOrPaused(); }
  // The analysis conditions report; empty while no file was chosen.
  std::string AnalysisConditionsText() const;
  // What saving the analysis writes, borrowing the result's arrays. Only
  // while a result is shown (not busy).
  AnalysisFileContents AnalysisSnapshot() const;
  const ProgramPaths& Paths() const;

  // --- The components, read-only, for the window's and the tests' checks ---
  const RecordingSession& Recording() const;
  const velmio::Analysis& CurrentAnalysis() const;
  const DisplayState& Display() const;
  const SingleVoiceState& SingleVoice() const;
  const TempoGrid& Tempo() const;
  const PlaybackEngine& Playback() const;
  // The click's note output (tests shorten the note and wait for it).
  MidiNoteOutput& NoteOutput();
  // The open flow's optional tools (decoder, vocal cut); empty ones are skipped.
  ViewSeams& Seams();

 private:
  // The view's tests set up component states directly.
  friend struct ViewProbe;

  void ReportMessage(const std::string& text);
  bool AskAndOpen(OpenMode mode);
  std::string ResolveSourcePath(const std::string& filePath);
  bool LoadRecording(const std::string& filePath, const std::string& readPath);
  void PrepareForAnalysis();
  void ApplyVocalCut();
  void StartAnalysisJob();
  void OnProgressTimer();
  void ShowProgress(AnalysisState stage, int32_t progress);
  void TakeOverResult();
  void ShowVocalCutLabel(int mode);
  void UpdateLevelLabels();
  // Time and bar read-outs; a negative position repeats the last one.
  void UpdatePositionText(int32_t positionMs);
  void ApplyDisplayChange(bool levels);
  RenderInputs MakeRenderInputs() const;
  int32_t FrameAtColumn(int32_t x) const;
  PlaybackHooks MakePlaybackHooks();
  PlaybackSource RecordingForPlayback() const;
  void RevealPlayStart(int32_t frame);
  void OnPlaybackTimer();
  void FollowCursor(int32_t frame);
  void SetLoopPoint(int32_t x, bool end);
  void ShowLoopLabel();
  void SetEqualizerRate(int sampleRate);

  Host& m_host;
  ProgramPaths m_paths;
  AnalysisSettings m_settings;
  RecordingSession m_recording;
  velmio::Analysis m_analysis;
  DisplayState m_display;
  SingleVoiceState m_singleVoice;
  TempoGrid m_tempo;
  ViewSeams m_seams;
  MidiNoteOutput m_midiOutput;
  SpectrogramRenderer m_renderer;
  // Declared after the recording: the engine, and with it the open output,
  // goes before the samples and the filters it reads.
  std::unique_ptr<Equalizer> m_equalizer;
  PlaybackEngine m_playback;
};

}  // namespace velmio
