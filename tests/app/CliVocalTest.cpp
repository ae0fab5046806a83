// velmio-cli vocal end to end: 16- and 24-bit stereo at 44.1 and 48 kHz in
// both modes against the plain reference, mono written unchanged, and the
// refusals.
#include <gtest/gtest.h>

#include <cstring>

#include "CliTestSupport.h"
#include "support/ReferenceVocalCut.h"

namespace velmio {
namespace {

using CliVocal = CliFixture;

// The samples of a 16-bit PCM file written by the tool (44-byte header).
std::vector<int16_t> Samples16(const std::string& bytes) {
  std::vector<int16_t> samples((bytes.size() - 44) / 2);
  std::memcpy(samples.data(), bytes.data() + 44, 2 * samples.size());
  return samples;
}

// What the loader makes of the file's samples: 24 bits truncated to 16.
std::vector<int16_t> Loaded(const Wav& w) {
  std::vector<int16_t> pcm;
  for (int32_t s : w.samples) pcm.push_back(static_cast<int16_t>(w.bits == 24 ? s / 256 : s));
  return pcm;
}

TEST_F(CliVocal, StereoMatchesThePlainReferenceWithinTwoSteps) {
  struct Case {
    int rate, bits;
    std::string mode, low;
    int modeNumber, lowestNote, a4;
  };
  const Case cases[] = {
      {44100, 16, "cut", "", 1, 19, 440},       {44100, 24, "extract", "C2", 2, 0, 440},
      {48000, 16, "extract", "G3", 2, 19, 440}, {48000, 24, "cut", "C5", 1, 36, 440},
      {44100, 16, "cut", "F#3", 1, 18, 442},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.bits) + " bit, " + c.mode +
                 " " + c.low);
    const Wav wav = MakeMusic(c.rate, 2, c.bits, 0.6);
    const std::string input = WriteFile("in.wav", WavBytes(wav));
    const std::string output = (dir_ / "out.wav").string();
    std::string args = "vocal " + input + " -o " + output + " --mode " + c.mode;
    if (!c.low.empty()) args += " --low " + c.low;
    if (c.a4 != 440) args += " --a4 " + std::to_string(c.a4);
    const CliRun run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string bytes = ReadAll(output);
    ASSERT_GT(bytes.size(), 44u);
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    std::memcpy(&channels, bytes.data() + 22, 2);
    std::memcpy(&rate, bytes.data() + 24, 4);
    std::memcpy(&bits, bytes.data() + 34, 2);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, static_cast<uint32_t>(c.rate));
    EXPECT_EQ(bits, 16);
    const std::vector<int16_t> expected =
        testing::ReferenceVocalCut(Loaded(wav), c.modeNumber, c.lowestNote, c.a4);
    const std::vector<int16_t> actual = Samples16(bytes);
    ASSERT_EQ(actual.size(), expected.size());
    int worst = 0;
    for (std::size_t i = 0; i < actual.size(); ++i)
      worst = std::max(worst, std::abs(int{actual[i]} - int{expected[i]}));
    EXPECT_LE(worst, 2);
  }
}

TEST_F(CliVocal, MonoIsWrittenUnchanged) {
  const Wav wav = MakeMusic(44100, 1, 16, 0.5);
  const std::string input = WriteFile("mono.wav", WavBytes(wav));
  const std::string output = (dir_ / "out.wav").string();
  ASSERT_EQ(Run("vocal " + input + " -o " + output + " --mode cut").status, 0);
  EXPECT_EQ(ReadAll(output), ReadAll(input));
}

TEST_F(CliVocal, AnalyseTakesTheProcessedSoundAndRecordsTheMode) {
  struct Case {
    int channels;
    std::string options;
    int32_t applied, lowestNote;
  };
  const Case cases[] = {
      {2, "--vocal cut --vocal-low C3", 1, 12},
      {2, "--vocal extract", 2, 19},
      {2, "", 0, 19},
      {1, "--vocal cut", 0, 19},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options + (c.channels == 1 ? " mono" : " stereo"));
    const std::string input = WriteFile("in.wav", WavBytes(MakeMusic(44100, c.channels, 16, 1.0)));
    const std::string saved = (dir_ / "in.vlx").string();
    ASSERT_EQ(Run("analyse " + input + " -o " + saved + " " + c.options).status, 0);
    const std::string bytes = ReadAll(saved);
    int32_t frames = 0, cells = 0, applied = -1, lowest = -1;
    std::memcpy(&frames, bytes.data() + 620, 4);
    std::memcpy(&cells, bytes.data() + 628, 4);
    const std::size_t flags = 648 + 4 * std::size_t(cells) + 4 * std::size_t(frames);
    std::memcpy(&applied, bytes.data() + flags + 20, 4);
    std::memcpy(&lowest, bytes.data() + flags + 24, 4);
    EXPECT_EQ(applied, c.applied);
    EXPECT_EQ(lowest, c.lowestNote);
  }
}

TEST_F(CliVocal, RefusesBadArgumentsAndInput) {
  const std::string input = WriteFile("a.wav", WavBytes(MakeMusic(44100, 2, 16, 0.1)));
  const std::string out = (dir_ / "o.wav").string();
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {"vocal " + input + " -o " + out, 2},
      {"vocal " + input + " -o " + out + " --mode karaoke", 2},
      {"vocal " + input + " -o " + out + " --mode cut --low B1", 2},
      {"vocal " + input + " -o " + out + " --mode cut --low C#5", 2},
      {"vocal " + input + " -o " + out + " --mode cut --a4 1000", 2},
      {"vocal " + input + " -o " + out + " --mode cut --bins 4", 2},
      {"vocal " + input + " --mode cut", 2},
      {"vocal " + (dir_ / "missing.wav").string() + " -o " + out + " --mode cut", 1},
      {"vocal " + WriteFile("bad.wav", "RIFF....WAVEjunk") + " -o " + out + " --mode cut", 1},
      {"vocal " + input + " -o " + (dir_ / "no-dir" / "o.wav").string() + " --mode cut", 1},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    EXPECT_FALSE(run.err.empty()) << c.args;
  }
}

}  // namespace
}  // namespace velmio
