// Bands that cannot be built as stable peaking sections (a centre at or above
// half the sampling rate, a Q that rounds the poles onto the unit circle, a Q
// that is not positive) are left out as pass-throughs, so that no unstable
// section ever reaches the output.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "PlaybackRig.h"
#include "audio/Equalizer.h"

namespace velmio::test {
namespace {

// The larger pole radius of 1 + a1 z^-1 + a2 z^-2, from its roots.
double PoleRadius(double a1, double a2) {
  const std::complex<double> root = std::sqrt(std::complex<double>(a1 * a1 - 4 * a2));
  return std::max(std::abs((-a1 + root) / 2.0), std::abs((-a1 - root) / 2.0));
}

bool IsPassThrough(const CIIRUnit& u) {
  return u.m_b0 == 1 && u.m_b1 == 0 && u.m_b2 == 0 && u.m_a1 == 0 && u.m_a2 == 0;
}

TEST(EqualizerStability, C10AtTwentyTwoKilohertzWouldBeUnstableAsDesigned) {
  // Why the treatment exists: the peaking formulas at 16744 Hz for a 22050 Hz
  // file (past the 11025 Hz limit) put a pole outside the unit circle.
  const double w0 = 2 * std::numbers::pi * Equalizer::BandCentre(10) / 22050.0;
  const double alpha = std::sin(w0) / 2.0;
  const double a = std::pow(10.0, 12 / 40.0);
  const double d = 1 + alpha / a;
  EXPECT_GT(PoleRadius(-2 * std::cos(w0) / d, (1 - alpha / a) / d), 1.0);
}

struct UnitCase {
  const char* name;
  float rate;
  double f0;
  int gain;
  float q;
  bool designed;  // false: left out as a pass-through
};

const UnitCase kUnitCases[] = {
    {"C10At22050Boost", 22050, 16744.0384, 12, 1.0f, false},
    {"C10At22050Cut", 22050, 16744.0384, -24, 1.0f, false},
    {"ExactlyHalfTheRate", 22050, 11025.0, -24, 1.0f, false},
    {"C10At32000", 32000, 16744.0384, 6, 1.0f, false},
    {"C9At22050", 22050, 8372.0192, 12, 1.0f, true},
    {"QSoLargeThePolesRoundOntoTheCircle", 44100, 16.3516, -24, 1e9f, false},
    {"ZeroQ", 44100, 1000.0, 6, 0.0f, false},
    {"NegativeQ", 44100, 1000.0, 6, -1.0f, false},
    {"NotANumberQ", 44100, 1000.0, 6, std::numeric_limits<float>::quiet_NaN(), false},
    {"LowestBandAtNinetySixKilohertz", 96000, 16.3516, -24, 8.0f, true},
};

void PrintTo(const UnitCase& c, std::ostream* os) {
  *os << c.name;
}

class UnitStability : public ::testing::TestWithParam<UnitCase> {};

TEST_P(UnitStability, EverySectionMadeIsStable) {
  const UnitCase& c = GetParam();
  CIIRUnit unit;
  unit.m_sampleRate = c.rate;
  EXPECT_EQ(unit.SetPeaking(c.f0, c.gain, c.q), c.designed);
  EXPECT_EQ(IsPassThrough(unit), !c.designed);
  EXPECT_LT(PoleRadius(unit.m_a1, unit.m_a2), 1.0);
}

INSTANTIATE_TEST_SUITE_P(EqualizerStability, UnitStability, ::testing::ValuesIn(kUnitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EqualizerStability, AtTwentyTwoKilohertzTheTopBandIsLeftOutOfSoundAndGraph) {
  Equalizer bank(22050.0f);
  EqBandGains gains;
  gains.fill(12);
  bank.UpdateFilters(gains, 1.0f);
  EXPECT_TRUE(IsPassThrough(bank.m_units[10]));
  EXPECT_EQ(bank.m_gainDb[0][10], 12) << "the user's setting is kept";
  for (int p = 0; p < kEqResponsePoints; ++p) ASSERT_EQ(bank.m_bandResponse[10][p], 0.0f);
  for (int k = 0; k < 10; ++k) EXPECT_FALSE(IsPassThrough(bank.m_units[k])) << k;

  // Loud noise through the whole bank for many blocks stays what the other
  // ten bands make of it: within the clamp, not pinned to it.
  CIIRUnit reference[10];
  for (int k = 0; k < 10; ++k) {
    reference[k].m_sampleRate = 22050.0f;
    reference[k].SetPeaking(Equalizer::BandCentre(k), 12, 1.0f);
  }
  std::vector<float> a(8192), b(8192);
  int pinned = 0;
  for (int block = 0; block < 40; ++block) {
    std::vector<int16_t> samples = PatternSamples(8192, 100 + block);
    for (int16_t& s : samples) s = static_cast<int16_t>(s / 64);
    for (int i = 0; i < 8192; ++i) a[i] = samples[i];
    bank.ProcessBlock(samples.data(), 8192 * 2, 2);
    for (int k = 0; k < 10; ++k) {
      reference[k].Process(k % 2 == 0 ? a.data() : b.data(), 8192, 2,
                           k % 2 == 0 ? b.data() : a.data());
    }
    for (int i = 0; i < 8192; ++i) {
      const float want = std::trunc(std::clamp(a[i], -32767.0f, 32767.0f));
      ASSERT_EQ(samples[i], static_cast<int16_t>(want)) << "block " << block << " sample " << i;
      pinned += std::abs(samples[i]) == 32767;
    }
  }
  EXPECT_LT(pinned, 40 * 8192 / 100);
}

}  // namespace
}  // namespace velmio::test
