// Colour table, level-to-colour mapping, legend and level labels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "view/ColorTable.h"
#include "view/SpectrogramBody.h"

namespace velmio {
namespace {

TEST(ColorTable, GreyScaleIsTheIndexInEveryChannel) {
  const ColorTable table = BuildColorTable(0);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(table[i], (uint32_t(i) << 16) | (uint32_t(i) << 8) | uint32_t(i)) << i;
  }
}

TEST(ColorTable, ColourRampRunsThroughItsFiveStages) {
  struct Case {
    int index;
    uint32_t rgb;
  };
  const Case cases[] = {
      {0, 0x000000},   {1, 0x000004},   {63, 0x0000fc},  {64, 0x0000ff},  {65, 0x0005ff},
      {111, 0x00faff}, {112, 0x00fffa}, {159, 0x00ff00}, {160, 0x00ff00}, {161, 0x05ff00},
      {207, 0xfaff00}, {208, 0xfffa00}, {255, 0xff0000},
  };
  const ColorTable table = BuildColorTable(1);
  for (const Case& c : cases) EXPECT_EQ(table[c.index], c.rgb) << "index " << c.index;
  EXPECT_EQ(BuildColorTable(7), table) << "any nonzero mode is the colour map";
}

TEST(LevelMapping, IndexFollowsGainAndRange) {
  struct Case {
    int top;
    int range;
    float level;
    int index;
  };
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {24, 20, -24.0f, 255}, {24, 20, 10.0f, 255},   {24, 20, -34.0f, 127},
      {24, 20, -43.0f, 12},  {24, 20, -44.0f, 0},    {24, 20, kSilenceDb, 0},
      {24, 2, -24.0f, 255},  {24, 2, -25.0f, 127},   {24, 2, -26.0f, 0},
      {30, 10, -35.0f, 127}, {-6, 20, 0.0f, 178},    {24, 20, inf, 255},
      {24, 20, -inf, 0},     {24, 20, 3.0e38f, 255}, {24, 20, std::nanf(""), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LevelToColorIndex(c.level, c.top, c.range), c.index)
        << "top " << c.top << " range " << c.range << " level " << c.level;
  }
}

TEST(LevelMapping, VectorRowEqualsScalarRowIncludingSaturationAndOddLengths) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> level(-60.0f, 10.0f);
  std::uniform_int_distribution<uint32_t> byte(0, 255);
  for (int colorMode : {0, 1}) {
    const ColorTable table = BuildColorTable(colorMode);
    const LevelScale scale = MakeLevelScale(24, 20);
    std::vector<float> levels(37);
    for (float& v : levels) v = level(random);
    levels[3] = std::nanf("");
    levels[4] = std::numeric_limits<float>::infinity();
    levels[5] = -std::numeric_limits<float>::infinity();
    levels[36] = 1.0e30f;
    std::vector<uint32_t> pixels(levels.size());
    for (uint32_t& p : pixels)
      p = 0xff000000u | byte(random) << 16 | byte(random) << 8 | byte(random);
    std::vector<uint32_t> expected = pixels;
    AddLevelRowScalar(levels.data(), expected.data(), int(levels.size()), scale, table);
    AddLevelRow(levels.data(), pixels.data(), int(levels.size()), scale, table);
    EXPECT_EQ(pixels, expected) << "colour mode " << colorMode;
  }
}

TEST(LevelMapping, AddingOntoABandSaturatesEachChannel) {
  const ColorTable table = BuildColorTable(0);
  const LevelScale scale = MakeLevelScale(24, 20);
  // Index 200 at the defaults: (v + 44) * 12.75 = 200.5.
  const float levels[4] = {-44.0f + 200.5f / 12.75f, -44.0f + 100.5f / 12.75f, -60.0f, -24.0f};
  uint32_t pixels[4] = {0xff606060, 0xff606060, 0xff606060, 0xff000000};
  AddLevelRow(levels, pixels, 4, scale, table);
  EXPECT_EQ(pixels[0], 0xffffffffu);
  EXPECT_EQ(pixels[1], 0xffc4c4c4u);  // 96 + 100
  EXPECT_EQ(pixels[2], 0xff606060u);  // index 0 leaves the band
  EXPECT_EQ(pixels[3], 0xffffffffu);
}

TEST(LevelLabels, NameTheLevelsOfBothScaleEnds) {
  struct Case {
    int top;
    int range;
    const char* bottom;
    const char* topText;
  };
  const Case cases[] = {{24, 20, "-44dB", "-24dB"}, {-4, 2, "2dB", "4dB"}, {0, 3, "-3dB", "0dB"}};
  for (const Case& c : cases) {
    const LevelLabels labels = UpdateLevelLabels(c.top, c.range);
    EXPECT_EQ(labels.m_bottom, c.bottom);
    EXPECT_EQ(labels.m_top, c.topText);
  }
}

TEST(ColorLegend, ShowsEveryOtherEntryAndKeepsItsPictureWithoutATable) {
  const ColorTable colour = BuildColorTable(1);
  QImage legend;
  DrawColorLegend(legend, 20, &colour);
  ASSERT_EQ(legend.width(), 128);
  ASSERT_EQ(legend.height(), 20);
  for (int j : {0, 1, 32, 56, 127}) {
    EXPECT_EQ(legend.pixel(j, 0) & 0xffffffu, colour[2 * j]) << j;
    EXPECT_EQ(legend.pixel(j, 19) & 0xffffffu, colour[2 * j]) << j;
  }
  DrawColorLegend(legend, 50, nullptr);
  EXPECT_EQ(legend.height(), 20) << "created once";
  EXPECT_EQ(legend.pixel(127, 5) & 0xffffffu, colour[254]);
}

}  // namespace
}  // namespace velmio
