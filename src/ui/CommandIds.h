#pragma once
// The ids of the program's commands: menu items, toolbar buttons,
// accelerators and the loop popup all carry one of these.

namespace velmio::ui {

// File
constexpr int kCmdFileOpen = 57601;
constexpr int kCmdOpenSingleVoice = 32829;
constexpr int kCmdOpenAnalysisData = 32801;
constexpr int kCmdSaveAnalysisData = 32798;
constexpr int kCmdSettings = 32803;
constexpr int kCmdExit = 57665;
constexpr int kCmdNewDocument = 57600;
constexpr int kCmdPrint = 57607;
// View
constexpr int kCmdGainUp = 32785;
constexpr int kCmdGainDown = 32786;
constexpr int kCmdRangeUp = 32790;
constexpr int kCmdRangeDown = 32792;
constexpr int kCmdHarmonics = 32809;
constexpr int kCmdBarDisplay = 32805;
constexpr int kCmdPitch = 32827;
constexpr int kCmdEqualizer = 32814;
constexpr int kCmdConditions = 32831;
constexpr int kCmdWaveform = 32836;
constexpr int kCmdGrid = 32841;
// View: the zoom in time
constexpr int kCmdZoomIn = 33201;
constexpr int kCmdZoomOut = 33202;
constexpr int kCmdZoomReset = 33203;
// Playback
constexpr int kCmdPlay = 32773;
constexpr int kCmdStop = 32772;
constexpr int kCmdRewind = 32771;
constexpr int kCmdLoop = 32823;
constexpr int kCmdPause = 32774;
constexpr int kCmdLoopStart = 32820;
constexpr int kCmdLoopEnd = 32821;
// Playback speed and transposition
constexpr int kCmdSlower = 33101;
constexpr int kCmdFaster = 33102;
constexpr int kCmdSpeed50 = 33103;
constexpr int kCmdSpeed67 = 33104;
constexpr int kCmdSpeed75 = 33105;
constexpr int kCmdSpeed80 = 33106;
constexpr int kCmdSpeed90 = 33107;
constexpr int kCmdSpeed100 = 33108;
constexpr int kCmdTransposeDown = 33109;
constexpr int kCmdTransposeUp = 33110;
constexpr int kCmdCentsDown = 33111;
constexpr int kCmdCentsUp = 33112;
constexpr int kCmdStretchReset = 33113;
// Help
constexpr int kCmdHelp = 57670;
constexpr int kCmdAbout = 57664;

}  // namespace velmio::ui
