// The single-voice open flow and its re-run: the pitch detected in the job,
// handed to the single-voice state at the take-over, saved with the analysis.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ViewFlowSupport.h"
#include "engine/PitchDetection.h"

namespace velmio::test {
namespace {

using SingleVoiceFlowTest = ViewFlowTest;

// What the engine detects on the analysed mono signal with `low`...`high`.
PitchResult DetectedOn(const CTestView& view, int low, int high) {
  const Spectrogram& s = view.CurrentAnalysis().Result();
  PitchSettings settings;
  settings.sampleRate = view.Recording().SampleRate();
  settings.hopSize = HopSizeForRate(settings.sampleRate);
  settings.pitchLowNote = low;
  settings.pitchHighNote = high;
  return DetectPitch(std::span<const float>(s.m_monoSignal.data(), s.m_paddedLength),
                     s.m_frameCount, settings);
}

void ExpectHolds(const SingleVoiceState& voice, const PitchResult& want) {
  EXPECT_EQ(voice.MarkCount(), want.m_markCount);
  EXPECT_EQ(voice.PitchMarks(), want.m_pitchMarks);
  EXPECT_EQ(voice.PeriodPeaks(), want.m_periodPeaks);
  EXPECT_EQ(voice.PitchTrack(), want.m_pitchTrack);
}

TEST_F(SingleVoiceFlowTest, OpenDetectsThePitchOfTheMonoMix) {
  ASSERT_TRUE(view->Open(WriteTone("voice.wav", 2, 44100, 16, 0.6), OpenMode::kSingleVoice));
  RunToTakeOver();

  const SingleVoiceState& voice = view->SingleVoice();
  ExpectHolds(voice, DetectedOn(*view, 31, 64));
  ASSERT_GT(voice.MarkCount(), 100);
  EXPECT_EQ(voice.PitchMarks()[1], 100);  // 440 Hz at 44.1 kHz
  EXPECT_EQ(voice.PitchTrack().size(), static_cast<std::size_t>(view->CurrentAnalysis().Result().m_frameCount));
  EXPECT_EQ(voice.PitchTrack()[10], PitchTrackValue(441.0f, 120, 440));
  EXPECT_TRUE(voice.ShowsPitch());
}

TEST_F(SingleVoiceFlowTest, RerunSearchesTheNewRangeAndSilencesTheConvertedVoice) {
  ASSERT_TRUE(view->Open(WriteTone("voice.wav", 1, 44100, 16, 0.6), OpenMode::kSingleVoice));
  RunToTakeOver();
  view->SetPitchRange(24, 36);  // C2 ... C3: the tone's fourth subharmonic is the longest period

  ASSERT_TRUE(view->RerunAnalysis());
  EXPECT_TRUE(view->CurrentAnalysis().IsBusy());
  EXPECT_FALSE(view->RerunAnalysis());  // not while the job runs
  RunToTakeOver();

  ExpectHolds(view->SingleVoice(), DetectedOn(*view, 24, 36));
  EXPECT_NE(view->SingleVoice().PitchMarks()[1], 100);
  const auto converted = view->Conversion().ConvertedSamples();
  EXPECT_TRUE(std::all_of(converted.begin(), converted.end(), [](int16_t v) { return v == 0; }));
}

TEST_F(SingleVoiceFlowTest, RerunNeedsASingleVoiceRecording) {
  EXPECT_FALSE(view->RerunAnalysis());  // nothing loaded
  ASSERT_TRUE(view->Open(WriteTone("song.wav", 2, 44100, 16, 0.3), OpenMode::kRecording));
  RunToTakeOver();
  EXPECT_FALSE(view->RerunAnalysis());
  EXPECT_FALSE(view->CurrentAnalysis().IsBusy());
}

TEST_F(SingleVoiceFlowTest, SnapshotCarriesTheWholePitchSection) {
  ASSERT_TRUE(view->Open(WriteTone("voice.wav", 1, 48000, 16, 0.4), OpenMode::kSingleVoice));
  RunToTakeOver();
  const AnalysisFileContents c = view->AnalysisSnapshot();
  const SingleVoiceState& voice = view->SingleVoice();
  EXPECT_EQ(c.pitchEnabled, 1);
  EXPECT_EQ(c.pitchTrack.size(), static_cast<std::size_t>(c.frameCount));
  EXPECT_EQ(c.windowState.lowestNote, 31);
  EXPECT_EQ(c.windowState.highestNote, 64);
  EXPECT_EQ(c.windowState.pitchPosition, 0);
  EXPECT_EQ(c.windowState.formantPosition, 0);
  EXPECT_EQ(c.markCount, voice.MarkCount());
  EXPECT_EQ(c.pitchMarks.data(), voice.PitchMarks().data());
  EXPECT_EQ(c.periodPeaks.size(), voice.PeriodPeaks().size());

  ASSERT_TRUE(view->Open(WriteTone("song.wav", 1, 48000, 16, 0.4), OpenMode::kRecording));
  RunToTakeOver();
  EXPECT_EQ(view->AnalysisSnapshot().pitchEnabled, 0);
}

}  // namespace
}  // namespace velmio::test
