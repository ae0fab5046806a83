#pragma once
// The fixture of the view's flow tests: a private program directory, a
// recording host, WAV files written on demand and a view that can be opened,
// analysed and destroyed at will.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>

#include "../audio/WavImage.h"
#include "RecordingHost.h"
#include "ViewProbe.h"
#include "audio/VirtualWaveOutDevice.h"
#include "view/TestView.h"

namespace velmio::test {

// A steady tone, so that the analysis has something to find.
inline std::string ToneSamples(uint16_t channels, uint32_t rate, uint16_t bits, double seconds) {
  const auto frames = static_cast<std::size_t>(std::llround(rate * seconds));
  const int width = bits / 8;
  std::string bytes(frames * channels * width, '\0');
  char* out = bytes.data();
  for (std::size_t i = 0; i < frames; ++i) {
    const double v = 8000.0 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / rate);
    const auto sample = static_cast<uint32_t>(static_cast<int32_t>(bits == 24 ? v * 256.0 : v));
    for (uint16_t c = 0; c < channels; ++c) {
      for (int k = 0; k < width; ++k) *out++ = static_cast<char>(sample >> (8 * k));
    }
  }
  return bytes;
}

inline std::string ToneWav(uint16_t channels, uint32_t rate, uint16_t bits, double seconds) {
  return WavImage(Pcm(channels, rate, bits), ToneSamples(channels, rate, bits, seconds));
}

class ViewFlowTest : public testing::Test {
 protected:
  void SetUp() override { view = MakeView(); }
  void TearDown() override { view.reset(); }

  ProgramPaths Paths() const {
    ProgramPaths paths;
    paths.exeDir = dir / "";
    paths.iniPath = dir / "velmio.ini";
    paths.helpPath = dir / "help/velmio1.html";
    paths.tempWavPath = dir / "temp.wav";
    return paths;
  }
  std::unique_ptr<CTestView> MakeView(MidiOut* midi = nullptr) {
    return std::make_unique<CTestView>(host, Paths(), midi, waveOut);
  }

  std::string WriteTone(const std::string& name, uint16_t channels, uint32_t rate, uint16_t bits,
                        double seconds) const {
    return dir.Write(name, ToneWav(channels, rate, bits, seconds));
  }

  // The user picks `path` in the open dialog.
  bool OpenChosen(const std::string& path) {
    host.openAnswers.push_back(path);
    return view->OnFileOpen();
  }

  // Fires timer 2 the way the window does until the result is taken over
  // (the deadline only keeps a broken job from hanging the test run).
  void RunToTakeOver() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (view->CurrentAnalysis().State() != AnalysisState::kTakenOver) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the analysis never finished";
      view->OnTimer(kTimerProgress);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Opens `path` through the dialog and waits for the take-over.
  void OpenAndFinish(const std::string& path) {
    ASSERT_TRUE(OpenChosen(path));
    RunToTakeOver();
  }

  TempDir dir;
  RecordingHost host;
  // The sound output: plays only when a test advances its clock.
  VirtualWaveOutDevice waveOut;
  std::unique_ptr<CTestView> view;
};

}  // namespace velmio::test
