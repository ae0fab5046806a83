// Start-up and shutdown of the view: the settings file, the decoder's
// temporary file, and ending while an analysis is under way.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

std::string DefaultsFile() {
  std::string text = "velmio 0.89\n12\n120\n440\n24\n20\n0\n4\n1\n0\n6\n";
  std::string preset;
  for (int band = 0; band < 11; ++band) preset += " 0 ";
  for (int i = 0; i < 4; ++i) text += preset + " 1.000\n";
  text += "0\n";
  for (int i = 0; i < 5; ++i) text += "31 64 0 0\n";
  return text + "none\n0 19 0 0\n";
}

// Line n (from 1) of a text.
std::string Line(const std::string& text, int n) {
  std::size_t begin = 0;
  for (int i = 1; i < n; ++i) begin = text.find('\n', begin) + 1;
  return text.substr(begin, text.find('\n', begin) - begin);
}

using LifecycleTest = ViewFlowTest;

TEST_F(LifecycleTest, MissingSettingsFileIsWrittenWithTheDefaults) {
  ASSERT_FALSE(fs::exists(dir / "velmio.ini"));
  EXPECT_EQ(view->Settings().m_levelTopDb, 24);
  EXPECT_EQ(view->Settings().m_decoderPath, "none");

  view.reset();

  EXPECT_EQ(ReadAll(dir / "velmio.ini"), DefaultsFile());
}

TEST_F(LifecycleTest, ChangesOfTheRunAreWrittenAtShutdown) {
  view->OnGainUp();
  view->OnRangeDown();
  view->OnToggleHarmonics();

  view.reset();

  const std::string file = ReadAll(dir / "velmio.ini");
  EXPECT_EQ(Line(file, 5), "26");
  EXPECT_EQ(Line(file, 6), "18");
  EXPECT_EQ(Line(file, 10), "1");
  EXPECT_EQ(Line(file, 23), "0 19 0 0");
}

TEST_F(LifecycleTest, DecoderOutputIsDeletedAtShutdown) {
  dir.Write("temp.wav", ToneWav(1, 44100, 16, 0.1));
  view.reset();
  EXPECT_FALSE(fs::exists(dir / "temp.wav"));
  // Nothing to delete is no trouble either.
  view = MakeView();
  view.reset();
  EXPECT_TRUE(fs::exists(dir / "velmio.ini"));
}

TEST_F(LifecycleTest, DecodedRecordingIsClosedBeforeItsFileIsDeleted) {
  ViewProbe::SettingsOf(*view).m_decoderPath = "/opt/decoder/EcoDecoTooL.exe";
  view->Seams().runDecoder = [this](const std::string&, const std::string& target) {
    std::ofstream(target, std::ios::binary) << ToneWav(1, 44100, 16, 0.3);
    return true;
  };
  OpenAndFinish(dir.Write("song.mp3", "mp3"));
  ASSERT_TRUE(view->Recording().IsFileOpen());

  view.reset();

  EXPECT_FALSE(fs::exists(dir / "temp.wav"));
  EXPECT_TRUE(host.messages.empty());
}

// Closing the program while a long analysis runs must neither wait for it to
// finish on its own nor free what it still reads (AddressSanitizer and
// ThreadSanitizer builds check the second).
TEST_F(LifecycleTest, DestroyingWhileTheAnalysisRunsEndsTheJob) {
  ASSERT_TRUE(OpenChosen(WriteTone("a minute.wav", 2, 44100, 16, 60.0)));
  ASSERT_TRUE(view->CurrentAnalysis().IsBusy());

  view.reset();

  EXPECT_EQ(ReadAll(dir / "velmio.ini"), DefaultsFile());
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(LifecycleTest, DestroyingWhileTheResultWaitsEndsTheJob) {
  ASSERT_TRUE(OpenChosen(WriteTone("short.wav", 1, 44100, 16, 0.3)));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (view->CurrentAnalysis().State() != AnalysisState::kFinished) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  view.reset();

  EXPECT_TRUE(fs::exists(dir / "velmio.ini"));
}

// The command is disabled while a job runs; should a second open come anyway,
// the first job is ended before its input is replaced.
TEST_F(LifecycleTest, OpeningAgainWhileAJobRunsEndsTheFirstJob) {
  ASSERT_TRUE(OpenChosen(WriteTone("a minute.wav", 2, 44100, 16, 60.0)));

  OpenAndFinish(WriteTone("short.wav", 1, 22050, 16, 0.5));

  EXPECT_EQ(view->Recording().SampleRate(), 22050);
  EXPECT_EQ(host.titles.back(), "short.wav");
  EXPECT_EQ(host.GetScrollSizes().contentWidth, view->CurrentAnalysis().Result().m_frameCount + 40);
  EXPECT_LT(view->CurrentAnalysis().Result().m_frameCount, 200);
}

}  // namespace
}  // namespace velmio::test
