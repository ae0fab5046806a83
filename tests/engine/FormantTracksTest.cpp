#include "engine/FormantTracks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "engine/AnalysisParams.h"
#include "engine/FormantAutocorrelation.h"
#include "support/ReferenceFormants.h"
#include "support/SyntheticVoice.h"

namespace velmio {
namespace {

int FramesFor(std::size_t padded, int hop) {
  return static_cast<int>((padded / hop + 3) / 4 * 4);
}

// A vowel-like tone: a 150 Hz pulse train through resonances at the given
// frequencies, so the envelope has one peak per resonance.
std::vector<float> Vowel(int rate, double seconds, const std::vector<double>& formants,
                         double amplitude) {
  const int n = static_cast<int>(rate * seconds);
  std::vector<double> y(n, 0.0);
  for (int i = 0; i < n; i += rate / 150) y[i] = 1.0;
  for (double f : formants) {
    const double r = std::exp(-std::numbers::pi * 80.0 / rate);
    const double c = 2 * r * std::cos(2 * std::numbers::pi * f / rate);
    double y1 = 0, y2 = 0;
    for (int i = 0; i < n; ++i) {
      const double v = y[i] + c * y1 - r * r * y2;
      y2 = y1;
      y1 = v;
      y[i] = v;
    }
  }
  double peak = 0;
  for (double v : y) peak = std::max(peak, std::fabs(v));
  std::vector<float> x(n);
  for (int i = 0; i < n; ++i) x[i] = static_cast<float>(std::round(y[i] / peak * amplitude));
  return synthetic::PadTo32(std::move(x));
}

std::vector<uint8_t> Extract(const std::vector<float>& x, int frames, int hop, int sensitivity,
                             SimdLevel simd = DetectSimdLevel(), int workers = 4) {
  FormantSettings s;
  s.hopSize = hop;
  s.sensitivity = sensitivity;
  s.simd = simd;
  s.workerCount = workers;
  std::vector<uint8_t> mask(static_cast<std::size_t>(8 * (s.highNote - s.lowNote)) * frames, 7);
  ExtractFormants(x, frames, s, mask.data());
  return mask;
}

std::vector<int> MarkedRows(const std::vector<uint8_t>& mask, int frames, int column) {
  std::vector<int> rows;
  for (std::size_t r = 0; r < mask.size() / frames; ++r)
    if (mask[r * frames + column]) rows.push_back(static_cast<int>(r));
  return rows;
}

struct MaskCase {
  const char* name;
  int rate;
  int sensitivity;
  double amplitude;
  bool sung;
};

class FormantsAgainstReference : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FormantsAgainstReference, SameCellsMarked) {
  const MaskCase& c = GetParam();
  const std::vector<float> x =
      c.sung ? synthetic::SungGlide(c.rate, 0.4, 180.0, 300.0, c.amplitude)
             : Vowel(c.rate, 0.3, {700, 1200, 2600, 3400, 4500, 6000}, c.amplitude);
  const int hop = HopSizeForRate(c.rate);
  const int frames = FramesFor(x.size(), hop);
  const std::vector<uint8_t> want = reference::FormantMask(x, frames, hop, 12, 120, c.sensitivity);
  const std::vector<uint8_t> got = Extract(x, frames, hop, c.sensitivity);
  EXPECT_EQ(Extract(x, frames, hop, c.sensitivity), want);
  EXPECT_EQ(Extract(x, frames, hop, c.sensitivity, SimdLevel::kScalar, 1), want);
  if (c.amplitude > 3276.8) {
    EXPECT_NE(std::count(want.begin(), want.end(), 1), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    RatesAndSensitivities, FormantsAgainstReference,
    ::testing::Values(MaskCase{"Small44k", 44100, 0, 20000, false},
                      MaskCase{"Medium44k", 44100, 1, 20000, false},
                      MaskCase{"Large48kSung", 48000, 2, 20000, true},
                      MaskCase{"LargeQuiet22k", 22050, 2, 1000, false},
                      MaskCase{"MediumQuiet44k", 44100, 1, 1000, false},
                      // Hops of 557 samples: the last analysed frames reach column F.
                      MaskCase{"Large96k", 96000, 2, 20000, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormantTracks, SmallSensitivityKeepsTheFourLowestPeaks) {
  const std::vector<float> x = Vowel(44100, 0.2, {700, 1200, 2600, 3400, 4500, 6000}, 20000);
  const int frames = FramesFor(x.size(), 256);
  const int column = 10 + kFormantColumnLead;
  const std::vector<int> all = MarkedRows(Extract(x, frames, 256, 1), frames, column);
  const std::vector<int> four = MarkedRows(Extract(x, frames, 256, 0), frames, column);
  ASSERT_FALSE(four.empty());
  EXPECT_LE(four.size(), 12u);  // four peaks, three rows each
  EXPECT_GT(all.size(), four.size());
  // Rows grow downward: the lowest frequencies are the last rows.
  std::vector<int> lowest;
  for (int r : all)
    if (r >= four.front()) lowest.push_back(r);
  EXPECT_EQ(four, lowest);
}

TEST(FormantTracks, RowOfABin) {
  // Bin 41 is about 441.4 Hz.
  EXPECT_EQ(FormantRow(41, 120, 440), 500);
  EXPECT_EQ(FormantRow(2047, 120, 440), 960 - 1002);
}

TEST(FormantTracks, NegativeOnlyFramesAreQuiet) {
  std::vector<float> x = Vowel(44100, 0.2, {700, 1200}, 20000);
  for (float& v : x) v = -std::fabs(v) - 1.0f;
  const int frames = FramesFor(x.size(), 256);
  const std::vector<uint8_t> mask = Extract(x, frames, 256, 2);
  EXPECT_EQ(std::count(mask.begin(), mask.end(), 1), 0);
}

TEST(FormantTracks, RecursionStopsWhereThePredictionErrorIsNotPositive) {
  struct Case {
    const char* name;
    double r1;
    bool ok;
  };
  // r1 = r0 leaves no error after the first step; |r1| > r0 a negative one.
  for (const Case& c : {Case{"Decaying", 0.5, true}, Case{"Exact", 1.0, false},
                        Case{"Impossible", 1.5, false}}) {
    SCOPED_TRACE(c.name);
    double r[kFormantOrder + 1] = {1.0};
    for (int k = 1; k <= kFormantOrder; ++k) r[k] = c.r1 > 1.0 ? c.r1 : std::pow(c.r1, k);
    double a[kFormantOrder + 1];
    EXPECT_EQ(LevinsonDurbin(r, a), c.ok);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(a[1], -0.5);  // an order-1 process: the rest is zero
      EXPECT_NEAR(a[2], 0.0, 1e-12);
    }
  }
}

// The vector loops give the scalar loops' bits, zero magnitudes included.
TEST(FormantTracks, VectorLoopsMatchTheScalarOnes) {
  if (DetectSimdLevel() != SimdLevel::kAvx2Fma) GTEST_SKIP() << "no AVX2 here";
  std::vector<float> spectrum(2 * 64);
  for (std::size_t i = 0; i < spectrum.size(); ++i)
    spectrum[i] = i < 4 ? 0.0f : std::sin(0.37f * static_cast<float>(i)) * 3.0f;
  std::vector<float> scalar(64), vector(64);
  InvertMagnitudesScalar(spectrum.data(), 64, 2139095040.0f, scalar.data());
  InvertMagnitudesAvx2(spectrum.data(), 64, 2139095040.0f, vector.data());
  EXPECT_EQ(scalar, vector);
  EXPECT_EQ(vector[0], 2139095040.0f);
  std::vector<float> negative(64, -5.0f);
  negative[37] = -1.0f;
  EXPECT_EQ(LargestOrZeroAvx2(negative.data(), 64), 0.0f);
  negative[50] = 12.5f;
  EXPECT_EQ(LargestOrZeroAvx2(negative.data(), 64), LargestOrZeroScalar(negative.data(), 64));
}

TEST(FormantTracks, EnvelopeFollowsTheExactTransform) {
  const std::vector<float> x = Vowel(44100, 0.1, {700, 1200, 2600}, 20000);
  float a[kFormantOrder + 1];
  ASSERT_TRUE(PredictionCoefficients(x.data() + 1024, a, DetectSimdLevel()));
  AlignedBuffer<float> sequence(4096), spectrum(4098), e(2048);
  PredictionEnvelope(a, sequence.data(), spectrum.data(), e.data());
  const std::vector<double> exact = reference::ExactEnvelope(std::vector<double>(a, a + 33));
  for (int i = 0; i < 2048; ++i) EXPECT_NEAR(e[i], exact[i], 1e-3 * exact[i]) << i;
}

TEST(FormantTracks, PeakRuleNeedsSixteenStepsEachSide) {
  struct Case {
    const char* name;
    std::vector<float> e;
    std::vector<int> peaks;
  };
  auto hill = [](int n, int top, int rise, int fall) {
    std::vector<float> e(n, 1.0f);
    for (int i = 0; i < n; ++i) {
      if (i <= top && i >= top - rise) e[i] = 2.0f + (i - (top - rise));
      if (i > top && i <= top + fall) e[i] = 2.0f + rise - (i - top);
    }
    return e;
  };
  const std::vector<Case> cases = {
      {"Wide", hill(100, 50, 20, 20), {50}},
      {"ShortRise", hill(100, 50, 14, 20), {}},
      {"ShortFall", hill(100, 50, 20, 14), {}},
      {"NearStart", hill(100, 10, 10, 20), {10}},
      {"RisingToEnd", hill(100, 99, 30, 0), {99}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> flags(c.e.size());
    PickEnvelopePeaks(c.e.data(), static_cast<int>(c.e.size()), 16, flags.data());
    std::vector<int> got;
    for (std::size_t i = 1; i < flags.size(); ++i)
      if (flags[i]) got.push_back(static_cast<int>(i));
    EXPECT_EQ(got, c.peaks);
  }
}

}  // namespace
}  // namespace velmio
