// velmio-cli stretch end to end: a melody of steady notes played slower and
// transposed, the recording's own bytes at 100 %, and refused arguments.
#include <gtest/gtest.h>

#include <cstring>

#include "CliTestSupport.h"
#include "audio/SignalMeasures.h"

namespace velmio {
namespace {

using CliStretch = CliFixture;

constexpr int kRate = 44100;
constexpr double kNotes[] = {220.0, 293.66, 392.0};  // A3, D4, G4, one second each

Wav Melody(int channels) {
  Wav w{kRate, channels, 16, {}};
  for (double hz : kNotes) {
    for (int i = 0; i < kRate; ++i) {
      const auto v = static_cast<int32_t>(std::lround(9000 * std::sin(2 * M_PI * hz * i / kRate)));
      for (int c = 0; c < channels; ++c) w.samples.push_back(v);
    }
  }
  return w;
}

// The samples of a 16-bit WAV file written by the tool (its data chunk).
std::vector<int16_t> DataOf(const std::string& bytes) {
  const std::size_t at = bytes.find("data");
  if (at == std::string::npos || at + 8 > bytes.size()) return {};
  uint32_t size = 0;
  std::memcpy(&size, bytes.data() + at + 4, 4);
  std::vector<int16_t> samples(std::min<std::size_t>(size, bytes.size() - at - 8) / 2);
  std::memcpy(samples.data(), bytes.data() + at + 8, samples.size() * 2);
  return samples;
}

struct StretchRunCase {
  const char* options;
  double lengthRatio;
  double pitchRatio;
};

TEST_F(CliStretch, LengthFollowsTheSpeedAndPitchTheTransposition) {
  const Wav melody = Melody(2);
  const std::string input = WriteFile("melody.wav", WavBytes(melody));
  const StretchRunCase cases[] = {
      {"--speed 50", 2.0, 1.0},
      {"--speed 0.5 --transpose -2", 2.0, std::pow(2.0, -2.0 / 12)},
      {"--speed 100 --transpose -2", 1.0, std::pow(2.0, -2.0 / 12)},
      {"--speed 150% --transpose 3 --cents -25", 2.0 / 3, std::pow(2.0, 2.75 / 12)},
  };
  const double inFrames = static_cast<double>(melody.samples.size()) / 2;
  for (const StretchRunCase& c : cases) {
    const std::string output = (dir_ / "out.wav").string();
    const CliRun run = Run("stretch " + input + " -o " + output + " " + c.options);
    ASSERT_EQ(run.status, 0) << c.options << ": " << run.err;
    const std::vector<int16_t> out = DataOf(ReadAll(output));
    const double frames = static_cast<double>(out.size()) / 2;
    EXPECT_NEAR(frames / inFrames, c.lengthRatio, 0.005 * c.lengthRatio) << c.options;
    for (int note = 0; note < 3; ++note) {
      // The middle half of each note, where it is steady.
      const double from = (note + 0.25) * kRate * c.lengthRatio;
      const double to = (note + 0.75) * kRate * c.lengthRatio;
      const double hz = test::MeasuredFrequency(out, 2, kRate, static_cast<int64_t>(from),
                                                static_cast<int64_t>(to));
      EXPECT_NEAR(hz / (kNotes[note] * c.pitchRatio), 1.0, 0.01) << c.options << ", note " << note;
    }
  }
}

TEST_F(CliStretch, AtFullSpeedWritesTheRecordingsOwnSamples) {
  const Wav melody = Melody(1);
  const std::string input = WriteFile("melody.wav", WavBytes(melody));
  const std::string output = (dir_ / "out.wav").string();
  const CliRun run = Run("stretch " + input + " -o " + output + " --speed 100");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(DataOf(ReadAll(output)), DataOf(WavBytes(melody)));
}

TEST_F(CliStretch, RefusesBadInputAndArguments) {
  const std::string input = WriteFile("a.wav", WavBytes(Melody(1)));
  Wav blip{kRate, 1, 16, std::vector<int32_t>(5000, 100)};
  const std::string tooShort = WriteFile("short.wav", WavBytes(blip));
  const std::string out = (dir_ / "x.wav").string();
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {"stretch " + input + " -o " + out, 2},
      {"stretch " + input + " -o " + out + " --speed 10", 2},
      {"stretch " + input + " -o " + out + " --speed 2.5", 2},
      {"stretch " + input + " -o " + out + " --speed fast", 2},
      {"stretch " + input + " -o " + out + " --speed 50 --transpose 13", 2},
      {"stretch " + input + " -o " + out + " --speed 50 --cents -51", 2},
      {"stretch " + input + " --speed 50", 2},
      {"stretch " + (dir_ / "missing.wav").string() + " -o " + out + " --speed 50", 1},
      {"stretch " + tooShort + " -o " + out + " --speed 50", 1},
      {"stretch " + input + " -o " + (dir_ / "no-such-dir" / "x.wav").string() + " --speed 50", 1},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    EXPECT_FALSE(run.err.empty()) << c.args;
  }
}

}  // namespace
}  // namespace velmio
