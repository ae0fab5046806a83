// The converter against a plain TD-PSOLA written in the test, and what it
// does to a sung-like tone: the pitch moves by the pitch ratio, the length
// stays, samples past the rendered part keep their content.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "ReferencePsola.h"
#include "SungTone.h"
#include "audio/ConversionResample.h"
#include "audio/VoiceConversion.h"
#include "dsp/CpuFeatures.h"

namespace velmio::test {
namespace {

constexpr int16_t kUntouched = 12345;

struct Rendered {
  std::vector<int16_t> out;
  ConversionResult result;
};

Rendered Render(const SungTone& tone, ConversionRatios ratios, ConversionWork& work) {
  Rendered r;
  r.out.assign(tone.pcm.size(), kUntouched);
  const ConversionInput input{tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size())};
  work.Reserve(2 * tone.pcm.size());
  r.result = RenderConversion(input, ratios, work, r.out);
  return r;
}

// Largest |difference| over the reference's samples; every later sample must
// be untouched.
int MaxDifference(const Rendered& rendered, const ReferencePsolaResult& reference) {
  int worst = 0;
  for (size_t i = 0; i < reference.out.size(); ++i)
    worst = std::max(worst, std::abs(rendered.out[i] - reference.out[i]));
  for (size_t i = reference.out.size(); i < rendered.out.size(); ++i)
    if (rendered.out[i] != kUntouched) return std::numeric_limits<int>::max();
  return worst;
}

struct RatioCase {
  int32_t pitchPosition;    // half semitones
  int32_t formantPosition;  // half semitones
};

TEST(VoiceConversion, MatchesPlainPsolaWithinTwoLsb) {
  // Tolerance: the reference windows and resamples in double precision, the
  // converter in single; a sample near a truncation boundary may go either way.
  const RatioCase cases[] = {{24, 0},  {0, 12},  {24, 12},  {-24, -12}, {48, 24},
                             {-48, -24}, {7, -5}, {-13, 19}, {48, -24},  {-48, 24}};
  const SungToneShape shapes[] = {
      {44100, 0.8, 180.0, 260.0, 0.02, 12000.0, 12},
      {22050, 0.6, 330.0, 300.0, 0.0, 20000.0, 6},
      {96000, 0.4, 98.0, 120.0, 0.03, 9000.0, 16},
  };
  ConversionWork work;
  for (const SungToneShape& shape : shapes) {
    const SungTone tone = MakeSungTone(shape);
    for (const RatioCase c : cases) {
      const ConversionRatios ratios{PitchRatioOfPosition(c.pitchPosition),
                                    FormantRatioOfPosition(c.formantPosition)};
      const Rendered rendered = Render(tone, ratios, work);
      const ReferencePsolaResult reference =
          ReferencePsola(tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size()),
                         ratios.pitch, ratios.formant);
      SCOPED_TRACE(testing::Message() << shape.rate << " Hz, positions " << c.pitchPosition
                                      << " / " << c.formantPosition);
      ASSERT_TRUE(reference.placed);
      EXPECT_EQ(rendered.result.lola, reference.lola);
      EXPECT_EQ(rendered.result.lout, reference.lout);
      EXPECT_EQ(rendered.result.stored, static_cast<int32_t>(reference.out.size()));
      EXPECT_LE(MaxDifference(rendered, reference), 2);
    }
  }
}

TEST(VoiceConversion, OctaveUpDoublesTheFundamentalAndKeepsTheLength) {
  const SungTone tone = MakeSungTone({44100, 1.0, 200.0, 200.0, 0.0, 12000.0, 12});
  ConversionWork work;
  const Rendered up = Render(tone, {PitchRatioOfPosition(24), 1.0f}, work);
  const int32_t n = static_cast<int32_t>(tone.pcm.size());
  // The output ends at the mark of the last grain, M − 2: within three
  // periods of the end (the last one partial).
  EXPECT_GE(up.result.stored, n - 3 * 44100 / 200 - 1);
  EXPECT_LE(up.result.stored, n);
  const int32_t from = 4410, to = 4410 + 32768;
  EXPECT_NEAR(MeasuredFundamental(tone.pcm, from, to, 44100), 200.0, 1.0);
  EXPECT_NEAR(MeasuredFundamental(up.out, from, to, 44100), 400.0, 2.0);
  // The formant-only shift keeps the pitch.
  const Rendered formant = Render(tone, {1.0f, FormantRatioOfPosition(12)}, work);
  EXPECT_NEAR(MeasuredFundamental(formant.out, from, to, 44100), 200.0, 2.0);
}

TEST(VoiceConversion, EveryGrainOfTheLoopIsPlacedAsTheRatiosSay) {
  // Period 200 everywhere, q = 1: each grain spans 401 samples and advances
  // the output by 200, so Lola = 200 × (grains − 1) + 1.
  SungTone tone;
  tone.marks = {0};
  for (int i = 1; i <= 20; ++i) tone.marks.push_back(200 * i);
  tone.signal.assign(4000, 1000.0f);
  tone.pcm.assign(4000, 1000);
  ConversionWork work;
  // pr = 1: grains at k = 1 ... 18 (the loop stops after k = M − 2).
  const Rendered same = Render(tone, {1.0f, 1.0f}, work);
  EXPECT_EQ(same.result.lola, 200 * 17 + 1);
  EXPECT_EQ(same.result.lout, tone.marks[18] + 1);
  // pr = 2: every period twice (k = 1, 1, 2, 2, ...) at half the spacing.
  const Rendered twice = Render(tone, {2.0f, 1.0f}, work);
  EXPECT_EQ(twice.result.lola, 100 * 34 + 1);  // 35 grains
  EXPECT_EQ(twice.result.lout, tone.marks[18] + 1);
}

TEST(VoiceConversion, TooFewMarksOrEmptyGrainsLeaveNoTrace) {
  SungTone tone = MakeSungTone({44100, 0.2, 200.0, 200.0, 0.0, 12000.0, 8});
  ConversionWork work;
  const std::vector<int32_t> allMarks = tone.marks;
  for (size_t marks : {size_t{1}, size_t{2}, size_t{3}}) {
    // M <= 2 places no grain: the output keeps every sample it had.
    tone.marks.assign(allMarks.begin(), allMarks.begin() + static_cast<long>(marks));
    const Rendered rendered = Render(tone, {2.0f, 1.0f}, work);
    EXPECT_EQ(rendered.result.stored, 0) << marks << " entries";
    EXPECT_TRUE(std::all_of(rendered.out.begin(), rendered.out.end(),
                            [](int16_t s) { return s == kUntouched; }));
  }
  // Periods of one sample with q = 8 give h = 0: such grains are skipped,
  // the others render as the reference does, and nothing becomes NaN.
  tone.marks = allMarks;
  for (int i = 1; i <= 40; i += 3) tone.marks[static_cast<size_t>(i) + 1] = tone.marks[i] + 1;
  const Rendered rendered = Render(tone, {4.0f, 0.5f}, work);
  const ReferencePsolaResult reference = ReferencePsola(
      tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size()), 4.0f, 0.5f);
  EXPECT_LE(MaxDifference(rendered, reference), 2);
}

TEST(VoiceConversion, LoudGrainsAreClampedToTheSymmetricRange) {
  // A full-scale square wave: the spline overshoots at every edge.
  SungTone tone;
  tone.marks = {0};
  for (int i = 0; i < 8000; ++i) {
    const float value = (i / 50) % 2 == 0 ? 32767.0f : -32767.0f;
    tone.signal.push_back(value);
    tone.pcm.push_back(static_cast<int16_t>(value));
    if (i % 100 == 99) tone.marks.push_back(i + 1);
  }
  ConversionWork work;
  const ConversionRatios ratios{PitchRatioOfPosition(10), FormantRatioOfPosition(-7)};
  const Rendered rendered = Render(tone, ratios, work);
  const auto [low, high] =
      std::minmax_element(rendered.out.begin(), rendered.out.begin() + rendered.result.stored);
  EXPECT_EQ(*low, -32767);
  EXPECT_EQ(*high, 32767);
  const ReferencePsolaResult reference = ReferencePsola(
      tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size()), ratios.pitch, ratios.formant);
  EXPECT_LE(MaxDifference(rendered, reference), 2);
}

TEST(VoiceConversion, MarksPastTheEndStopTheOutputAtTheRecording) {
  // The detection may put the last mark up to one step past the signal.
  SungTone tone = MakeSungTone({44100, 0.3, 150.0, 150.0, 0.0, 12000.0, 8});
  const int32_t n = static_cast<int32_t>(tone.pcm.size());
  // With pr = 1 the last grain sits at mark M − 2, here past the end too.
  for (int32_t past : {10, 441, 882}) tone.marks.push_back(n + past);
  ConversionWork work;
  std::vector<int16_t> out(static_cast<size_t>(n) + 16, kUntouched);
  work.Reserve(2 * static_cast<size_t>(n));
  const ConversionResult result =
      RenderConversion({tone.signal, tone.marks, n}, {1.0f, 2.0f}, work,
                       std::span<int16_t>(out).first(static_cast<size_t>(n)));
  EXPECT_EQ(result.lout, n + 11);
  EXPECT_EQ(result.stored, n);
  for (size_t i = static_cast<size_t>(n); i < out.size(); ++i) EXPECT_EQ(out[i], kUntouched);
}

TEST(VoiceConversion, ACancelledRenderingLeavesTheOutputAlone) {
  const SungTone tone = MakeSungTone({44100, 2.0, 300.0, 300.0, 0.0, 12000.0, 8});
  ConversionWork work;
  work.Reserve(2 * tone.pcm.size());
  std::vector<int16_t> out(tone.pcm.size(), kUntouched);
  const std::atomic<bool> cancel{true};
  const ConversionResult result =
      RenderConversion({tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size())},
                       {2.0f, 1.0f}, work, out, &cancel);
  EXPECT_TRUE(result.cancelled);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == kUntouched; }));
  // The next rendering starts from a clean accumulator.
  const Rendered after = Render(tone, {2.0f, 1.0f}, work);
  const ReferencePsolaResult reference = ReferencePsola(
      tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size()), 2.0f, 1.0f);
  EXPECT_LE(MaxDifference(after, reference), 2);
}

TEST(VoiceConversion, VectorResamplingGivesTheScalarBits) {
#if defined(__x86_64__)
  if (DetectSimdLevel() != SimdLevel::kAvx2Fma) GTEST_SKIP() << "no AVX2 here";
  // Loud values so that clamping and truncation are exercised; lengths that
  // leave remainders after the eight-sample blocks.
  std::vector<float> acc(70001);
  uint32_t state = 99;
  for (float& v : acc) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<float>(static_cast<int32_t>(state >> 8) % 90000) - 45000.0f + 0.37f;
  }
  for (const auto& [lola, lout] : {std::pair<int64_t, int64_t>{70000, 49497},
                                  {35000, 70000}, {69999, 34999}, {1000, 1413}}) {
    std::vector<int16_t> scalar(static_cast<size_t>(lout)), vector(static_cast<size_t>(lout));
    const int64_t from = 2, to = lout - 3;
    ResampleSplineScalar(acc.data(), lola, lout, scalar.data(), from, to);
    ResampleSplineAvx2(acc.data(), lola, lout, vector.data(), from, to);
    EXPECT_EQ(scalar, vector) << lola << " -> " << lout;
  }
#else
  GTEST_SKIP() << "x86-64 only";
#endif
}

TEST(VoiceConversion, SliderPositionsGiveTheRatios) {
  EXPECT_EQ(PitchRatioOfPosition(0), 1.0f);
  EXPECT_EQ(FormantRatioOfPosition(0), 1.0f);
  EXPECT_FLOAT_EQ(PitchRatioOfPosition(24), 2.0f);
  EXPECT_FLOAT_EQ(PitchRatioOfPosition(-48), 0.25f);
  EXPECT_FLOAT_EQ(FormantRatioOfPosition(12), std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(FormantRatioOfPosition(-24), 0.5f);
}

}  // namespace
}  // namespace velmio::test
