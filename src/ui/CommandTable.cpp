#include "ui/CommandTable.h"

#include <algorithm>
#include <array>

#include "ui/CommandIds.h"
#include "view/TimeScale.h"

namespace velmio::ui {
namespace {

using M = MenuPlace;

// clang-format off
constexpr std::array kEntries = {
  CommandEntry{kCmdFileOpen, M::kFile, "Wavファイルを開く\tCtrl+O(&O)",
               "Wavファイルを開いて周波数解析を行う\n.wavを開く", 1, "Ctrl+O", false, false},
  CommandEntry{kCmdOpenSingleVoice, M::kFile, "単音のWavファイルを開く",
               "単音のWavファイルを開いて周波数解析とピッチ検出を行う\n単音wavを開く", 2, nullptr, false, false},
  CommandEntry{kCmdOpenAnalysisData, M::kFile, "解析データを開く",
               "Wav解析済ファイル(*.vlx)を開く\n.vlxを開く", 3, nullptr, false, false},
  CommandEntry{kCmdSaveAnalysisData, M::kFile, "解析データ保存\tCtrl+S(&S)",
               "Wav解析ファイルを保存\n.vlxを保存", 4, "Ctrl+S", false, false},
  CommandEntry{kCmdSettings, M::kFile, "設定", "使用環境の設定\n設定", 21, nullptr, false, true},
  CommandEntry{kCmdExit, M::kFile, "アプリケーションの終了(&X)",
               "アプリケーションを終了する\n終了", 0, "Ctrl+Q", false, true},
  CommandEntry{kCmdGainUp, M::kView, "表示Gainを上げる", "表示Gainを上げる", 11, nullptr, false, false},
  CommandEntry{kCmdGainDown, M::kView, "表示Gainを下げる", "表示Gainを下げる", 12, nullptr, false, false},
  CommandEntry{kCmdRangeUp, M::kView, "表示DRを上げる", "表示DRを上げる", 13, nullptr, false, false},
  CommandEntry{kCmdRangeDown, M::kView, "表示DRを下げる", "表示DRを下げる", 14, nullptr, false, false},
  CommandEntry{kCmdHarmonics, M::kView, "倍音表示", "倍音を表示する／しない", 15, nullptr, true, true},
  CommandEntry{kCmdBarDisplay, M::kView, "小節表示",
               "非チェック時：時間表示　チェック時：小節表示", 16, nullptr, true, false},
  CommandEntry{kCmdPitch, M::kView, "ピッチ表示",
               "ピッチ表示する／しない（単音のみ有効）\nピッチ表示", 17, nullptr, true, false},
  CommandEntry{kCmdEqualizer, M::kView, "イコライザー表示",
               "イコライザーを表示する／しない", 19, nullptr, true, false},
  CommandEntry{kCmdConditions, M::kView, "解析条件の表示", "解析条件を表示します\n解析条件表示", 5,
               nullptr, false, false},
  CommandEntry{kCmdWaveform, M::kView, "時間波形表示", "時間波形を表示する／しない\n波形表示", 18,
               nullptr, true, false},
  CommandEntry{kCmdGrid, M::kView, "グリッド表示切替", "音階と周波数の切替", 20, nullptr, true, false},
  CommandEntry{kCmdZoomIn, M::kView, "時間軸を拡大", "時間軸を拡大する\n拡大", 0, "Ctrl+=", false, true},
  CommandEntry{kCmdZoomOut, M::kView, "時間軸を縮小", "時間軸を縮小して曲全体を見渡す\n縮小", 0, "Ctrl+-", false, false},
  CommandEntry{kCmdZoomReset, M::kView, "時間軸を等倍に戻す", "1フレームを1ピクセルで表示する\n等倍", 0, "Ctrl+0", false, false},
  CommandEntry{kCmdPlay, M::kPlay, "PLAY", "再生\nPLAY", 9, nullptr, false, false},
  CommandEntry{kCmdStop, M::kPlay, "STOP", "停止\nSTOP", 8, nullptr, false, false},
  CommandEntry{kCmdRewind, M::kPlay, "ReWind", "最初に巻き戻す\nReWind", 7, nullptr, false, false},
  CommandEntry{kCmdLoop, M::kPlay, "LOOP再生",
               "LOOP再生を行う／行わない（開始・終了位置は右クリックで指定）\nLOOP再生", 10, nullptr, true, false},
  CommandEntry{kCmdSlower, M::kPlay, "遅く", "再生速度を5%下げる", 0, "[", false, true},
  CommandEntry{kCmdFaster, M::kPlay, "速く", "再生速度を5%上げる", 0, "]", false, false},
  CommandEntry{kCmdSpeed50, M::kPlay, "速度 50%", "音程を変えずに50%の速度で再生", 0, "Shift+1", true, false},
  CommandEntry{kCmdSpeed67, M::kPlay, "速度 67%", "音程を変えずに67%の速度で再生", 0, "Shift+2", true, false},
  CommandEntry{kCmdSpeed75, M::kPlay, "速度 75%", "音程を変えずに75%の速度で再生", 0, "Shift+3", true, false},
  CommandEntry{kCmdSpeed80, M::kPlay, "速度 80%", "音程を変えずに80%の速度で再生", 0, "Shift+4", true, false},
  CommandEntry{kCmdSpeed90, M::kPlay, "速度 90%", "音程を変えずに90%の速度で再生", 0, "Shift+5", true, false},
  CommandEntry{kCmdSpeed100, M::kPlay, "速度 100%", "元の速度で再生", 0, "Shift+6", true, false},
  CommandEntry{kCmdTransposeDown, M::kPlay, "半音下げる", "再生の音程を半音下げる", 0, "-", false, true},
  CommandEntry{kCmdTransposeUp, M::kPlay, "半音上げる", "再生の音程を半音上げる", 0, "=", false, false},
  CommandEntry{kCmdCentsDown, M::kPlay, "5セント下げる", "再生の音程を5セント下げる", 0, "Alt+-", false, false},
  CommandEntry{kCmdCentsUp, M::kPlay, "5セント上げる", "再生の音程を5セント上げる", 0, "Alt+=", false, false},
  CommandEntry{kCmdStretchReset, M::kPlay, "速度・音程を元に戻す", "100%の速度、移調なしに戻す", 0,
               "Backspace", false, false},
  CommandEntry{kCmdHelp, M::kHelp, "ヘルプ(&H)", "ヘルプファイルを表示します\nヘルプ", 6, "F1", false, false},
  CommandEntry{kCmdAbout, M::kHelp, "バージョン情報 velmio(&A)...",
               "プログラム情報、バージョン、著作権を表示します\nバージョン情報", 0, nullptr, false, false},
  CommandEntry{kCmdPause, M::kNone, nullptr, "一時停止\nPAUSE", 0, nullptr, false, false},
  CommandEntry{kCmdLoopStart, M::kLoopPopup, "ループ再生の開始位置を指定", "", 0, nullptr, false, false},
  CommandEntry{kCmdLoopEnd, M::kLoopPopup, "ループ再生の終了位置を指定", "", 0, nullptr, false, false},
  CommandEntry{kCmdNewDocument, M::kNone, nullptr, "", 0, "Ctrl+N", false, false},
  CommandEntry{kCmdPrint, M::kNone, nullptr, "", 0, "Ctrl+P", false, false},
};

constexpr std::array kToolbar = {
  kCmdFileOpen, kCmdOpenSingleVoice, kCmdOpenAnalysisData, kCmdSaveAnalysisData, 0,
  kCmdConditions, kCmdHelp, 0,
  kCmdRewind, kCmdStop, kCmdPlay, kCmdLoop, 0,
  kCmdGainUp, kCmdGainDown, kCmdRangeUp, kCmdRangeDown, 0,
  kCmdHarmonics, kCmdBarDisplay, kCmdPitch, kCmdWaveform, kCmdEqualizer, kCmdGrid, kCmdSettings,
};
// clang-format on

// Speed and transposition can be set at any time; a preset is checked
// while it is the speed.
CommandStatus StretchRule(int id, const CommandContext& c) {
  constexpr std::pair<int, double> kPresets[] = {{kCmdSpeed50, 50.0}, {kCmdSpeed67, 67.0},
                                                 {kCmdSpeed75, 75.0}, {kCmdSpeed80, 80.0},
                                                 {kCmdSpeed90, 90.0}, {kCmdSpeed100, 100.0}};
  for (const auto& [preset, speed] : kPresets) {
    if (id == preset) return {true, c.speedPercent == speed};
  }
  return {true, false};
}

CommandStatus PlaybackRule(int id, const CommandContext& c) {
  if (id >= kCmdSlower && id <= kCmdStretchReset) return StretchRule(id, c);
  const PlayState p = c.playState;
  switch (id) {
    case kCmdPlay:
      return {p == PlayState::kStopped || p == PlayState::kPaused, false};
    case kCmdStop:
      return {p == PlayState::kPlaying || p == PlayState::kPaused, false};
    case kCmdRewind:
      return {p == PlayState::kStopped, false};
    case kCmdLoop:
      return {p == PlayState::kStopped, c.loopEnabled};
    case kCmdPause:
      return {p == PlayState::kPlaying, false};
    default:
      return {};
  }
}

}  // namespace

std::span<const CommandEntry> CommandEntries() {
  return kEntries;
}

const CommandEntry* FindCommand(int id) {
  const auto it = std::find_if(kEntries.begin(), kEntries.end(),
                               [id](const CommandEntry& e) { return e.id == id; });
  return it == kEntries.end() ? nullptr : &*it;
}

std::span<const int> ToolbarLayout() {
  return kToolbar;
}

PromptParts SplitPrompt(const char* text) {
  const std::string whole = text == nullptr ? std::string() : std::string(text);
  const std::size_t brk = whole.find('\n');
  if (brk == std::string::npos) return {whole, {}};
  return {whole.substr(0, brk), whole.substr(brk + 1)};
}

bool IsIdle(const CommandContext& c) {
  return !IsAnalysisBusy(c.analysisState);
}

CommandStatus EvaluateRule(int id, const CommandContext& c) {
  const bool idle = IsIdle(c);
  const bool stopped = c.playState < PlayState::kPlaying;
  switch (id) {
    case kCmdFileOpen:
    case kCmdOpenSingleVoice:
    case kCmdOpenAnalysisData:
      return {stopped && idle && !c.voiceConversionOpen, false};
    case kCmdSaveAnalysisData:
      return {stopped && idle && c.hasDisplayMatrix && c.frameCount > 0, false};
    case kCmdSettings:
      return {stopped && idle, false};
    case kCmdGainUp:
    case kCmdGainDown:
    case kCmdRangeUp:
    case kCmdRangeDown:
      return {idle, false};
    case kCmdHarmonics:
      return {true, c.showHarmonics};
    case kCmdBarDisplay:
      return {c.playState >= PlayState::kStopped && idle, c.barDisplay};
    case kCmdPitch:
      return {c.pitchEnabled, c.showPitch};
    case kCmdEqualizer:
      return {true, c.eqVisible};
    case kCmdWaveform:
      return {true, c.showWaveform};
    case kCmdGrid:
      return {true, c.frequencyGrid};
    case kCmdZoomIn:
      return {c.zoomStep != NextZoomStep(c.zoomStep, 1), false};
    case kCmdZoomOut:
      return {c.zoomStep != NextZoomStep(c.zoomStep, -1), false};
    case kCmdZoomReset:
      return {TimeScale::FromStep(c.zoomStep) != TimeScale(), false};
    case kCmdConditions:
    case kCmdHelp:
    case kCmdAbout:
    case kCmdExit:
    case kCmdLoopStart:
    case kCmdLoopEnd:
    case kCmdNewDocument:
    case kCmdPrint:
      return {true, false};
    default:
      return PlaybackRule(id, c);
  }
}

}  // namespace velmio::ui
