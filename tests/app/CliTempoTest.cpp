// velmio-cli tempo end to end: the proposal printed for a click track equals
// a plain estimate from the same analysis, read back from the analysis file.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <regex>

#include "CliTestSupport.h"
#include "support/ReferenceTempo.h"

namespace velmio {
namespace {

using CliTempo = CliFixture;

// Short noise bursts every `period` seconds from `first` on, mono 16-bit;
// every `accentEvery`-th burst at full strength, the others at `weak`.
Wav Clicks(double seconds, double period, double first, int accentEvery = 1, double weak = 1.0) {
  Wav w{44100, 1, 16, std::vector<int32_t>(static_cast<std::size_t>(44100 * seconds), 0)};
  std::mt19937 random(3);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  int n = 0;
  for (double at = first; at < seconds - 0.05; at += period, ++n) {
    const double gain = n % accentEvery == 0 ? 1.0 : weak;
    const auto start = static_cast<std::size_t>(at * 44100);
    for (int i = 0; i < 441; ++i) {
      w.samples[start + i] =
          static_cast<int32_t>(std::lround(20000 * gain * std::exp(-i / 80.0) * noise(random)));
    }
  }
  return w;
}

struct SavedAnalysis {
  int frames = 0, rows = 0;
  std::vector<float> levels, energy;
};

// The display matrix and the frame energy of an analysis file.
SavedAnalysis ReadAnalysis(const std::string& bytes) {
  const auto int32At = [&](std::size_t at) {
    int32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  SavedAnalysis a;
  a.frames = int32At(620);
  a.rows = int32At(624);
  const std::size_t cells = static_cast<std::size_t>(int32At(628));
  a.levels.resize(cells);
  std::memcpy(a.levels.data(), bytes.data() + 632, 4 * cells);
  a.energy.resize(static_cast<std::size_t>(a.frames));
  std::memcpy(a.energy.data(), bytes.data() + 648 + 4 * cells, 4 * a.energy.size());
  return a;
}

TEST_F(CliTempo, PrintsThePlainEstimateOfTheSameAnalysis) {
  struct Case {
    const char* name;
    Wav wav;
    std::string options;
    int top, range;
  };
  const Case cases[] = {
      {"120 beats per minute from 1 s", Clicks(20.0, 0.5, 1.0), "", 24, 20},
      {"a louder display shows the first sound earlier", Clicks(20.0, 0.5, 1.0), "--gain 44", 44,
       20},
      {"an accent every third beat at 100", Clicks(30.0, 0.6, 0.3, 3, 0.4), "--range 30", 24, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = WriteFile("clicks.wav", WavBytes(c.wav));
    const std::string saved = (dir_ / "clicks.vlx").string();
    ASSERT_EQ(Run("analyse " + input + " -o " + saved).status, 0);
    const SavedAnalysis a = ReadAnalysis(ReadAll(saved));
    ASSERT_EQ(a.levels.size(), std::size_t(a.rows) * a.frames);
    const testing::ReferenceTempoResult expected =
        testing::ReferenceTempo(a.energy, a.levels, a.rows, c.top, c.range);
    const int beats[] = {2, 3, 4};
    char line[128];
    std::snprintf(line, sizeof line, "テンポ %d   拍子 %d / 4   開始時刻 %d ms\n", expected.tempo,
                  beats[expected.beatsPerBarIndex], expected.startMs);

    const CliRun run = Run("tempo " + input + " " + c.options);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, line);
  }
}

TEST_F(CliTempo, FindsTheClickTracksTempoAndStart) {
  const std::string input = WriteFile("clicks.wav", WavBytes(Clicks(20.0, 0.5, 1.0)));
  const CliRun run = Run("tempo " + input);
  ASSERT_EQ(run.status, 0) << run.err;
  int tempo = 0, beats = 0, unit = 0, start = -1;
  ASSERT_EQ(std::sscanf(run.out.c_str(), "テンポ %d   拍子 %d / %d   開始時刻 %d ms", &tempo,
                        &beats, &unit, &start),
            4)
      << run.out;
  // 20 s give a transform of 4096 points, 2.5 beats per minute a bin.
  EXPECT_NEAR(tempo, 120, 3);
  EXPECT_EQ(unit, 4);
  // The longest kernels see the first click a little before it starts.
  EXPECT_GT(start, 500);
  EXPECT_LE(start, 1010);
}

TEST_F(CliTempo, RenderDrawsBeatAndBarLinesWhereTheTempoPutsThem) {
  const std::string input = WriteFile("clicks.wav", WavBytes(Clicks(12.0, 0.5, 0.25)));
  struct Case {
    int tempo, beats, startMs;
    std::string option;
  };
  const Case cases[] = {
      {120, 4, 500, "--bars 120,4,500"},
      {97, 3, 1234, "--bars 97,3,1234"},
      {150, 4, 0, "--bars 150"},
      {60, 2, -300, "--bars 60,2,-300"},
  };
  const QRgb green = qRgb(0, 255, 0), darkGreen = qRgb(0, 128, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    const std::string output = (dir_ / "bars.png").string();
    const CliRun run = Run("render " + input + " -o " + output + " --size 1400x120 " + c.option);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage image(QString::fromStdString(output));
    ASSERT_EQ(image.width(), 1400);
    // Beat n at frame trunc(n / L + M): L beats per frame, M the start in frames.
    const float secondsPerFrame = 256.0f / 44100.0f;
    const float perFrame = static_cast<float>(c.tempo) * 0.016666668f * secondsPerFrame;
    const float start = static_cast<float>(c.startMs) * 0.001f / secondsPerFrame;
    int lines = 0;
    for (int n = -8; n < 60; ++n) {
      const int x = static_cast<int>(static_cast<float>(n) * (1.0f / perFrame) + start) + 40;
      if (x <= 40 || x >= 1400) continue;
      EXPECT_EQ(image.pixel(x, 60), n % c.beats == 0 ? green : darkGreen) << "beat " << n;
      EXPECT_NE(image.pixel(x + 2, 60), darkGreen) << "beat " << n;
      ++lines;
    }
    EXPECT_GE(lines, 8);
  }
}

TEST_F(CliTempo, RefusesBadArguments) {
  const std::string input = WriteFile("a.wav", WavBytes(Clicks(1.0, 0.5, 0.1)));
  for (const std::string& args :
       {std::string("tempo"), "tempo " + input + " -o x.txt", "tempo " + input + " --gain",
        "tempo " + input + " --vocal sing", "tempo " + input + " --vocal-low C6"}) {
    const CliRun run = Run(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("velmio-cli"), std::string::npos) << args;
  }
  EXPECT_EQ(Run("tempo " + (dir_ / "missing.wav").string()).status, 1);
}

}  // namespace
}  // namespace velmio
