// The equalizer's filters against an independent double-precision reference:
// the peaking design, the eleven sections in series over blocks of any size
// (filter memory carried across block boundaries, mono and stereo), the
// truncation and clamping to 16 bits, the redesign rule and the response
// curves, and the treatment of bands that would be unstable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "PlaybackRig.h"
#include "audio/Equalizer.h"

namespace velmio::test {
namespace {

// The peaking biquad in double precision, normalised by a0.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

Biquad CookbookPeaking(double f0, double gainDb, double q, double rate) {
  const double a = std::pow(10.0, gainDb / 40.0);
  const double w0 = 2.0 * std::numbers::pi * f0 / rate;
  const double alpha = std::sin(w0) / (2.0 * q);
  const double d = 1.0 + alpha / a;
  return {(1.0 + alpha * a) / d, -2.0 * std::cos(w0) / d, (1.0 - alpha * a) / d,
          -2.0 * std::cos(w0) / d, (1.0 - alpha / a) / d};
}

Biquad CoefficientsOf(const CIIRUnit& u) {
  return {u.m_b0, u.m_b1, u.m_b2, u.m_a1, u.m_a2};
}

// The sections in series over the whole interleaved signal at once, each
// channel with its own memory, then toward zero and into -32767 ... 32767.
std::vector<int16_t> ReferenceFilter(const std::vector<int16_t>& input, int channels,
                                     const std::vector<Biquad>& sections) {
  std::vector<double> x(input.begin(), input.end());
  for (const Biquad& s : sections) {
    std::vector<double> y(x.size());
    for (int c = 0; c < channels; ++c) {
      double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
      for (size_t n = c; n < x.size(); n += channels) {
        y[n] = s.b0 * x[n] + s.b1 * x1 + s.b2 * x2 - s.a1 * y1 - s.a2 * y2;
        x2 = x1, x1 = x[n], y2 = y1, y1 = y[n];
      }
    }
    x = std::move(y);
  }
  std::vector<int16_t> out(x.size());
  for (size_t n = 0; n < x.size(); ++n) {
    out[n] = static_cast<int16_t>(std::trunc(std::clamp(x[n], -32767.0, 32767.0)));
  }
  return out;
}

// Sines across the octaves plus noise, `amplitude` at most.
std::vector<int16_t> TestSignal(int frames, int channels, double amplitude, double rate) {
  const std::vector<int16_t> noise = PatternSamples(frames * channels, 77);
  std::vector<int16_t> out(noise.size());
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      double v = 0.1 * noise[i * channels + c] / 32768.0;
      for (double f : {40.0, 130.0, 523.0, 1900.0, 7000.0}) {
        v += 0.18 * std::sin(2 * std::numbers::pi * f * (i + 13 * c) / rate);
      }
      out[i * channels + c] = static_cast<int16_t>(std::lround(amplitude * v));
    }
  }
  return out;
}

std::vector<Biquad> SectionsOf(const Equalizer& bank) {
  std::vector<Biquad> sections;
  for (const CIIRUnit& u : bank.m_units) sections.push_back(CoefficientsOf(u));
  return sections;
}

// Processes `signal` in blocks whose frame counts cycle through `frames`.
std::vector<int16_t> InBlocks(Equalizer& bank, std::vector<int16_t> signal, int channels,
                              const std::vector<int>& frames) {
  size_t at = 0;
  for (size_t i = 0; at < signal.size(); ++i) {
    const size_t n = std::min<size_t>(frames[i % frames.size()] * channels, signal.size() - at);
    bank.ProcessBlock(signal.data() + at, static_cast<int32_t>(n * 2), channels);
    at += n;
  }
  return signal;
}

TEST(Equalizer, DesignMatchesThePeakingFormulasWithinFloatRounding) {
  // The filter design runs in single precision with pi rounded to 3.1415927; each
  // coefficient (at most 2 in size) carries a few float roundings of w0,
  // sin, cos and the quotients: 2e-6 is about eight float steps at 2.
  for (float rate : {22050.0f, 44100.0f, 96000.0f}) {
    for (int gain : {-24, -7, 1, 12}) {
      for (float q : {0.3f, 1.0f, 6.0f}) {
        for (int k = 0; k < kEqBands; ++k) {
          const double f0 = Equalizer::BandCentre(k);
          if (f0 >= rate / 2) continue;
          CIIRUnit unit;
          unit.m_sampleRate = rate;
          ASSERT_TRUE(unit.SetPeaking(f0, gain, q));
          const Biquad want = CookbookPeaking(f0, gain, q, rate);
          const Biquad got = CoefficientsOf(unit);
          const std::string where = "rate " + std::to_string(rate) + " gain " +
                                    std::to_string(gain) + " q " + std::to_string(q) + " band " +
                                    std::to_string(k);
          EXPECT_NEAR(got.b0, want.b0, 2e-6) << where;
          EXPECT_NEAR(got.b1, want.b1, 2e-6) << where;
          EXPECT_NEAR(got.b2, want.b2, 2e-6) << where;
          EXPECT_NEAR(got.a1, want.a1, 2e-6) << where;
          EXPECT_NEAR(got.a2, want.a2, 2e-6) << where;
        }
      }
    }
  }
}

struct BlockCase {
  const char* name;
  int channels;
  double amplitude;
  float q;
  std::vector<int> blockFrames;
};

// Block sizes include single frames (the memory alone supplies both earlier
// samples) and odd counts; the loud cases drive +12 dB bands into the clamp.
const BlockCase kBlockCases[] = {
    {"MonoPlaybackBlocks", 1, 8000, 1.0f, {16384}},
    {"StereoPlaybackBlocks", 2, 8000, 1.0f, {8192}},
    {"MonoOddAndSingleSampleBlocks", 1, 8000, 2.5f, {1, 1, 37, 1000, 2}},
    {"StereoSingleFrames", 2, 8000, 0.7f, {1, 3, 1, 511}},
    {"StereoLoudClamped", 2, 32767, 1.0f, {8192, 1, 4095}},
    {"MonoLoudClamped", 1, 32767, 4.0f, {16384, 5}},
};

void PrintTo(const BlockCase& c, std::ostream* os) {
  *os << c.name;
}

class EqualizerBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(EqualizerBlocks, OutputFollowsTheDoubleReferenceWhateverTheBlockSizes) {
  const BlockCase& c = GetParam();
  const EqBandGains gains{12, -24, 6, -6, 12, 0, -12, 9, -3, 12, -24};
  Equalizer bank(44100.0f);
  Equalizer whole(44100.0f);
  bank.UpdateFilters(gains, c.q);
  whole.UpdateFilters(gains, c.q);
  const std::vector<int16_t> input = TestSignal(20000, c.channels, c.amplitude, 44100.0);
  const std::vector<int16_t> got = InBlocks(bank, input, c.channels, c.blockFrames);

  // The memory carries the exact float state from block to block, so how
  // the signal is cut into blocks changes no bit.
  EXPECT_EQ(got, InBlocks(whole, input, c.channels, {kEqBlockSamples / c.channels}));

  // Against double precision: the sections run in float, and each step
  // rounds its running terms by about one float step (amplitude x 2^-24).
  // The C0 section's poles lie within about 1e-3 of z = 1, so its rounding
  // is summed over thousands of samples and amplified by the +12 dB bands;
  // measured, the chain stays within 8 LSB at amplitude 8000 and 18 at full
  // scale. The tolerance, 2^-24 x amplitude x 20000 + 1, is about twice
  // that; a lost memory, a swapped channel or a band in the wrong place
  // gives errors of hundreds or thousands of LSB.
  const std::vector<int16_t> want = ReferenceFilter(input, c.channels, SectionsOf(bank));
  const int tolerance = 1 + static_cast<int>(std::ldexp(c.amplitude * 20000, -24));
  for (size_t n = 0; n < want.size(); ++n) {
    ASSERT_LE(std::abs(got[n] - want[n]), tolerance) << "sample " << n;
  }
  if (c.amplitude > 20000) {
    EXPECT_EQ(*std::max_element(got.begin(), got.end()), 32767) << "clamped, not wrapped";
    EXPECT_EQ(*std::min_element(got.begin(), got.end()), -32767);
  }
}

INSTANTIATE_TEST_SUITE_P(Equalizer, EqualizerBlocks, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Equalizer, FlatBandsPassTheSamplesExceptTheLowestValue) {
  Equalizer bank(44100.0f);
  bank.UpdateFilters({}, 3.0f);
  std::vector<int16_t> samples = PatternSamples(16384);
  samples[0] = -32768;
  samples[1] = 32767;
  std::vector<int16_t> want = samples;
  want[0] = -32767;
  bank.ProcessBlock(samples.data(), 32768, 2);
  EXPECT_EQ(samples, want);
}

TEST(Equalizer, TruncatesTowardZeroAndClampsSymmetrically) {
  // One section scales by 0.75 and another by 2 (exact in float), the rest
  // pass: every result is known exactly.
  Equalizer bank(44100.0f);
  bank.m_units[3].m_b0 = 0.75f;
  bank.m_units[8].m_b0 = 2.0f;
  std::vector<int16_t> samples{3, -3, 5, -5, 1, -1, 21845, -21846, 32767, -32768};
  bank.ProcessBlock(samples.data(), static_cast<int32_t>(samples.size() * 2), 1);
  EXPECT_EQ(samples, (std::vector<int16_t>{4, -4, 7, -7, 1, -1, 32767, -32767, 32767, -32767}));
}

TEST(Equalizer, RedesignsDirtyBandsOnlyUnlessQChanges) {
  Equalizer bank(44100.0f);
  EqBandGains gains{};
  EXPECT_EQ(bank.UpdateFilters(gains, 1.0f), 0x7ffu) << "the first Q differs from none";
  gains[3] = 6;
  gains[8] = -9;
  EXPECT_EQ(bank.UpdateFilters(gains, 1.0f), 0u) << "a gain alone is read only for a dirty band";
  EXPECT_EQ(bank.m_gainDb[0][3], 0);
  bank.MarkDirty(3);
  EXPECT_EQ(bank.UpdateFilters(gains, 1.0f), 1u << 3);
  EXPECT_EQ(bank.m_gainDb[0][3], 6);
  EXPECT_EQ(bank.m_gainDb[0][8], 0);
  EXPECT_EQ(bank.UpdateFilters(gains, 1.5f), 0x7ffu);
  EXPECT_EQ(bank.m_gainDb[0][8], -9);
  EXPECT_EQ(bank.UpdateFilters(gains, 0.0f), 0x7ffu) << "a Q that is not positive counts as 1.0";
  EXPECT_EQ(bank.m_q[0], 1.0f);
}

TEST(Equalizer, ResponsesAreTheBandGainsAtTheirCentresAndSumToTheTotal) {
  Equalizer bank(44100.0f);
  const EqBandGains gains{12, -24, 6, -6, 12, 0, -12, 9, -3, 12, -1};
  bank.UpdateFilters(gains, 1.0f);
  const auto& phi = Equalizer::ResponseFrequencies();
  // 399 float products drift by up to about 399 float steps (2.4e-5 relative).
  EXPECT_EQ(phi[0], 16.3516f);
  EXPECT_NEAR(phi[399] / (16744.0384 * std::pow(2.0, -0.025)), 1.0, 5e-5);
  EXPECT_LT(phi[399], 16744.0384);
  for (int k = 0; k < kEqBands; ++k) {
    const Biquad b = CoefficientsOf(bank.m_units[k]);
    for (int p = 0; p < kEqResponsePoints; ++p) {
      const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * phi[p] / 44100.0);
      const std::complex<double> n = b.b0 + b.b1 * z1 + b.b2 * z1 * z1;
      const std::complex<double> d = 1.0 + b.a1 * z1 + b.a2 * z1 * z1;
      // In single precision N and D lose a few float steps of their terms
      // (each at most 2): a relative error of a few 2^-24 / |N| and / |D|,
      // which only matters where the low bands nearly cancel (|D| ~ 1e-4).
      // Measured up to 5.5 such steps; 16 are allowed.
      const double steps = std::ldexp(1.0, -24) * (1 / std::abs(n) + 1 / std::abs(d));
      const double tolerance = 16 * 20 / std::log(10.0) * steps + 1e-5;
      ASSERT_NEAR(bank.m_bandResponse[k][p], 10 * std::log10(std::norm(n / d)), tolerance)
          << "band " << k << " point " << p;
    }
    // A peaking section has its gain at its centre, which is point 40 k
    // (the band below C10 ends at point 399, just under C10 itself).
    if (k < 10) {
      EXPECT_NEAR(bank.m_bandResponse[k][40 * k], gains[k], 0.02) << "band " << k;
    }
  }
  for (int p = 0; p < kEqResponsePoints; ++p) {
    float sum = 0;
    for (int k = 0; k < kEqBands; ++k) sum += bank.m_bandResponse[k][p];
    EXPECT_EQ(bank.m_totalResponse[p], sum);
  }
}

TEST(Equalizer, ANewRateWaitsForTheNextRedesign) {
  Equalizer bank(44100.0f);
  bank.UpdateFilters({0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0}, 1.0f);
  const Biquad before = CoefficientsOf(bank.m_units[5]);
  bank.SetSampleRate(22050.0f);
  EXPECT_EQ(CoefficientsOf(bank.m_units[5]).a1, before.a1);
  bank.MarkDirty(5);
  bank.UpdateFilters({0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0}, 1.0f);
  EXPECT_NEAR(CoefficientsOf(bank.m_units[5]).a1,
              CookbookPeaking(Equalizer::BandCentre(5), 6, 1, 22050).a1, 2e-6);
}

}  // namespace
}  // namespace velmio::test
