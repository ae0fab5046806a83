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
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "audio/ConversionSession.h"
#include "audio/Equalizer.h"
#include "audio/PlaybackEngine.h"
#include "audio/ProcessRunner.h"
#include "audio/RecordingSession.h"
#include "audio/WaveOutDevice.h"
#include "engine/Analysis.h"
#include "engine/TempoEstimator.h"
#include "engine/TempoGrid.h"
#include "persist/AnalysisFile.h"
#include "persist/AnalysisSettings.h"
#include "view/DisplayState.h"
#include "view/DropRouting.h"
#include "view/Host.h"
#include "view/MidiNoteOutput.h"
#include "view/MidiOut.h"
#include "view/ProgramPaths.h"
#include "view/SettingsDialogValues.h"
#include "view/SingleVoiceState.h"
#include "view/SpectrogramRenderer.h"
#include "view/TempoDialogState.h"
#include "view/ViewSeams.h"
#include "view/ViewStatus.h"
#include "view/VoiceDialogState.h"

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
  // The range the single-voice analyses search for the pitch, in semitones
  // above C0 (both inclusive); the next open or re-run uses it.
  void SetPitchRange(int32_t lowNote, int32_t highNote);
  // Analyses the loaded single-voice recording again with the current pitch
  // range: playback stops, the converted voice goes silent. False (nothing
  // done) without such a recording or while an analysis runs.
  bool RerunAnalysis();
  // --- The settings dialog ---
  // The values the dialog starts from.
  SettingsDialogValues SettingsForDialog() const;
  // The dialog's decoder check for a newly chosen program (its messages and
  // question included); true when the program may be used.
  bool CheckDecoder(const std::string& decoderPath);
  // OK: a change of what the analysis depends on discards the analysis
  // (after telling the user to read the file again) and rebuilds the kernel
  // bank; instrument, harmonics, colour and decoder take effect at once.
  void ApplySettingsDialog(const SettingsDialogValues& values);

  // --- The analysis data file ---
  // 解析データ保存: asks for a path and saves the shown result. False when
  // nothing was saved (cancel, nothing to save, or a reported failure).
  bool SaveAnalysisFile();
  // 解析データを開く: asks for a file and opens it.
  bool OnOpenAnalysisFile();
  // Opens the saved analysis at `path` (also for drops and the command
  // line): the result is shown as saved over its source audio, read again,
  // without analysing. A file that is refused changes nothing.
  bool OpenAnalysisFile(const std::string& path);

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

  // A new result is shown from the middle of its pitch range instead of its
  // top octave (the desktop program's choice; off by default).
  void SetOpenAtMiddleOfRange(bool on) { m_display.SetOpenAtMiddleOfRange(on); }

  // --- Zoom in time and moving in time ---
  // The zoom step (see TimeScale): 1 one frame per column, 2 and 4 columns
  // per frame, -2 ... -32 frames per column.
  int ZoomStep() const;
  // Sets the zoom, keeping the time under client x where it was (x at or
  // left of the keyboard strip: the body's left edge). Unknown steps are ignored.
  void SetZoomStep(int step, int32_t anchorX = 0);
  // Toolbar, menu and keys: one step in or out, or back to one frame per
  // column, around the middle of the body.
  void OnZoomIn();
  void OnZoomOut();
  void OnZoomReset();
  // Ctrl+wheel at client x: `notches` steps in (positive) or out (negative).
  void ZoomWheel(int notches, int32_t x);
  // Home / End: the start or the end of the recording.
  void ScrollToStart();
  void ScrollToEnd();
  // Left / Right: whole seconds earlier (negative) or later.
  void ScrollSeconds(int seconds);
  // Shift+Left / Right: pages of the body's width.
  void ScrollPages(int pages);
  // Shift+wheel: `notches` steps later (positive) or earlier, a tenth of
  // the body's width each.
  void ScrollTimeWheel(int notches);

  // --- Window events ---
  void OnHScroll(int32_t position);
  void OnVScroll(int32_t position);
  void OnSize(int32_t width, int32_t height);
  // A mouse move over the client area; re-renders the hover band at most
  // every 50 ms.
  void OnMouseMove(int32_t x, int32_t y);
  // The read-out of the cell at client (x, y): note, cents, frequency, time
  // and level; empty outside the picture's rows or without a result.
  std::string ReadOutAt(int32_t x, int32_t y) const;
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
  // A / B with the loop on: the loop start / end at the play position, also
  // while playing (the play then starts again at the loop start).
  void SetLoopStartAtPlayPosition();
  void SetLoopEndAtPlayPosition();
  // A drag across the time ruler from client x0 to x1: the loop over those
  // columns' frames, switched on where the LOOP command could switch it.
  void SelectLoopRange(int32_t x0, int32_t x1);

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

  // --- The tempo dialog and the bar grid ---
  // 小節表示: the bar grid and the tempo dialog on or off. Switching on shows
  // the stored values, or an estimate while no tempo is stored. Only while a
  // result is shown.
  void OnBarDisplay();
  // The dialog's buttons: OK stores the values (refusing more beats per bar
  // than the beat unit), Cancel puts the stored values back, 推定 estimates.
  void OnTempoOk();
  void OnTempoCancel();
  void OnTempoEstimate();
  // The user changed the dialog's texts or list selections.
  void EditTempoDialog(const TempoDialogControls& typed);
  const TempoDialogControls& TempoDialog() const;
  // Stores `grid` as OK would, without the dialog (batch rendering).
  void SetTempo(const TempoGrid& grid);
  // The tempo, bar length and start proposed for the shown result at the
  // current display levels; a zero tempo while no result is shown.
  TempoProposal ProposeTempo() const;
  // --- The voice-conversion dialog (single-voice mode) ---
  // 単音のWavファイルを開く: the dialog's state opens with the presets of
  // the settings and its ratio watcher (timer 4) starts. False when it is
  // open already (at most one dialog).
  bool OpenVoiceDialog();
  // "閉じる" or the close box: with an analysis not saved to a file the user
  // is asked first, and anything but Yes keeps the dialog. Then playback
  // stops, the presets go back to the settings and the watcher stops before
  // the dialog goes. True when the dialog is to go.
  bool CloseVoiceDialog();
  const VoiceDialogState& VoiceDialog() const;
  // The dialog's lists or sliders moved: the ratios follow at once; while
  // playing, the watcher renders them within its next ticks.
  void ShowVoiceSetting(const VoiceSetting& setting);
  // Presets 1 ... 5 (slots 0 ... 4): stored with Ctrl held, else applied.
  void ApplyOrStoreVoicePreset(int slot, bool ctrlDown);
  void ApplyFixedVoiceSetting(FixedVoiceSetting which);
  // "Wavを開く": asks for a WAV file and opens it in single-voice mode with
  // the dialog's range. True when its analysis started.
  bool OpenSingleVoice();
  // "再実行": playback stops, the analysis runs again on the loaded voice
  // with the dialog's range. True when it started.
  bool RerunVoiceAnalysis();
  // "Wavに保存": asks for a file name and writes the converted voice, mono
  // 16-bit. A setting not rendered yet is rendered first; both ratios 1
  // write the recording itself. False on cancel or a reported failure.
  bool SaveConvertedWave();
  const ConversionSession& Conversion() const;

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
  bool IsDataBusy() const {
    return m_analysis.IsBusy() || m_playback.IsPlayingOrPaused() || m_recording.IsReading();
  }
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
  // What starts a configured external decoder; without one such a decoder
  // cannot run and other files are read as WAV files. Must outlive the view.
  void UseProcessRunner(ProcessRunner* runner);

 private:
  // The view's tests set up component states directly.
  friend struct ViewProbe;

  void ReportMessage(const std::string& text);
  bool AskAndOpen(OpenMode mode);
  std::string ResolveSourcePath(const std::string& filePath);
  bool DecodeBuiltIn(const std::string& source);
  bool RunExternalDecoder(const std::string& source);
  bool RunInBackground(const std::function<bool()>& work, const std::function<void()>& cancel);
  bool LoadRecording(const std::string& filePath, const std::string& readPath);
  void PrepareForAnalysis();
  // False after telling the user how long a recording can be, when the
  // analysis would not fit the analysis data file or the memory left.
  bool AnalysisFits();
  void ShowNothingLoaded();
  void ApplyVocalCut(int32_t mode);
  void InstallSavedSettings(LoadedAnalysis& saved);
  void PrepareSavedAudio(int32_t vocalMode);
  void ShowSavedResult();
  void RestoreVoiceWindow();
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
  // The content column where `frame` starts at the current zoom.
  int64_t ColumnOfFrame(int64_t frame) const;
  int32_t ContentWidth() const;
  void ScrollColumnsBy(int64_t columns);
  int32_t BodyWidth() const;
  PlaybackHooks MakePlaybackHooks();
  PlaybackSource RecordingForPlayback() const;
  void RevealPlayStart(int32_t frame);
  void OnPlaybackTimer();
  void FollowCursor(int32_t frame);
  void SetLoopPoint(int32_t x, bool end);
  void SetLoopPointAtPlayPosition(bool end);
  void ReplaceLoopRange(int32_t start, int32_t end);
  void ShowLoopLabel();
  void ShowReadOut(int32_t x, int32_t y);
  void SetEqualizerRate(int sampleRate);
  void EstimateTempoForDialog();
  void ShowTempoDialog(bool visible);
  void PrepareConversion();
  void TakeOverVoice();
  void OnConversionWatch();
  std::span<const int16_t> ConvertedVoiceForPlayback() const;
  void RenderConvertedVoice();

  Host& m_host;
  ProgramPaths m_paths;
  AnalysisSettings m_settings;
  RecordingSession m_recording;
  velmio::Analysis m_analysis;
  DisplayState m_display;
  SingleVoiceState m_singleVoice;
  TempoGrid m_tempo;
  TempoDialogState m_tempoDialog;
  ViewSeams m_seams;
  ProcessRunner* m_processRunner = nullptr;
  MidiNoteOutput m_midiOutput;
  SpectrogramRenderer m_renderer;
  VoiceDialogState m_voiceDialog;
  // After the recording and the analysis, whose samples and marks it
  // borrows, so that a rendering ends before they go; before the playback
  // engine, which reads the converted voice.
  ConversionSession m_conversion;
  // The ratios of the last rendering requested.
  std::optional<ConversionRatios> m_requestedRatios;
  // Declared after the recording: the engine, and with it the open output,
  // goes before the samples and the filters it reads.
  std::unique_ptr<Equalizer> m_equalizer;
  PlaybackEngine m_playback;
};

}  // namespace velmio
