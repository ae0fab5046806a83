// velmio-cli analyse end to end: real WAV files in, analysis data files out,
// checked field by field and against an independent implementation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "IndependentAnalysis.h"

namespace velmio {
namespace {

using CliAnalyse = CliFixture;
namespace fs = std::filesystem;

int32_t Int(const std::string& bytes, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int32_t>(v);
}
float Float(const std::string& bytes, std::size_t at) {
  const uint32_t v = static_cast<uint32_t>(Int(bytes, at));
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

struct AnalyseCase {
  const char* name;
  int rate, channels, bits;
  const char* options;
  testing::IndependentSettings settings;
};

TEST_F(CliAnalyse, FilesAgreeWithAnIndependentAnalysis) {
  const AnalyseCase cases[] = {
      {"mono16", 44100, 1, 16, "", {44100, 4, 1, 440, 12, 120}},
      {"stereo24",
       48000,
       2,
       24,
       "--bins 2 --window cq --low C2 --high C8",
       {48000, 2, 0, 440, 24, 96}},
      {"stereo16_22k",
       22050,
       2,
       16,
       "--bins 8 --a4 442 --low C3 --high C7",
       {22050, 8, 1, 442, 36, 84}},
      {"mono24_96k",
       96000,
       1,
       24,
       "--bins 1 --window trapezoid --low C0 --high C10",
       {96000, 1, 1, 440, 0, 120}},
  };
  for (const AnalyseCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Wav wav = MakeMusic(c.rate, c.channels, c.bits, 0.8);
    const std::string input = WriteFile(std::string(c.name) + ".wav", WavBytes(wav));
    const std::string output = (dir_ / (std::string(c.name) + ".vlx")).string();
    const CliRun run = Run("analyse " + input + " -o " + output + " " + c.options);
    ASSERT_EQ(run.status, 0) << run.err;
    char line[128];
    std::snprintf(line, sizeof line, "(%dch %dbit %dHz)\n", c.channels, c.bits, c.rate);
    EXPECT_NE(run.out.find("処理時間  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string(" 秒  ") + line), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("% completed."), std::string::npos) << run.err;

    const testing::IndependentResult expected =
        testing::AnalyseIndependently(MonoOf(wav), c.settings);
    const std::string file = ReadAll(output);
    const int f = expected.frames, r = expected.rows;
    const std::size_t n = static_cast<std::size_t>(r) * f;
    ASSERT_EQ(file.size(), 732 + 4 * n + 8 * f);
    EXPECT_EQ(file.substr(0, 16), std::string("velmio ver 0.89\0", 16));
    EXPECT_EQ(Int(file, 16), f);
    EXPECT_EQ(Int(file, 20), 24);
    EXPECT_EQ(Int(file, 24), 20);
    EXPECT_EQ(Int(file, 28), c.settings.low);
    EXPECT_EQ(Int(file, 32), c.settings.high);
    EXPECT_EQ(fs::path(file.substr(44, std::strlen(file.data() + 44))), fs::absolute(input));
    EXPECT_EQ(Int(file, 620), f);
    EXPECT_EQ(Int(file, 624), r);
    EXPECT_EQ(Int(file, 628), static_cast<int32_t>(n));
    const std::size_t tempo = 632 + 4 * n;
    EXPECT_EQ(Int(file, tempo) * 1000 + Int(file, tempo + 4) * 100 + Int(file, tempo + 8) * 10 +
                  Int(file, tempo + 12),
              440);

    double loudest = -1e9;
    for (double v : expected.levelDb) loudest = std::max(loudest, v);
    int compared = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const float got = Float(file, 632 + 4 * i);
      const double want = expected.levelDb[i];
      if (want <= -382.0) {
        ASSERT_NEAR(got, -382.29f, 0.01f) << "cell " << i;
      } else if (want > loudest - 70.0) {
        // The display's logarithm is an approximation good to 0.015 dB. The
        // rest is the float rounding of the transform's sums, which scales
        // with the loudest sound under the kernel's window, not with the
        // cell: it reaches a few hundredths of a dB only in cells more than
        // 50 dB below the loudest.
        const double tolerance = want > loudest - 50.0 ? 0.03 : 0.06;
        ASSERT_NEAR(got, want, tolerance) << "row " << i / f << " frame " << i % f;
        ++compared;
      }
    }
    EXPECT_GT(compared, static_cast<int>(n / 20));
    for (int t = 0; t < f; ++t) {
      const double e = expected.energy[t];
      ASSERT_NEAR(Float(file, tempo + 16 + 4 * t), e, 1e-4 * e + 1e-30) << "frame " << t;
    }
    // Single-voice block: no pitch, the default search range 31..64, vocal-cut
    // off, lowest vocal note 19; then reserved words and an empty pitch section.
    const std::size_t voice = tempo + 16 + 4 * f;
    const int32_t expectedVoice[7] = {0, 0, 31, 64, 0, 0, 19};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Int(file, voice + 4 * i), expectedVoice[i]) << i;
    for (std::size_t at = voice + 28; at < file.size(); at += 4) ASSERT_EQ(Int(file, at), 0) << at;
  }
}

TEST_F(CliAnalyse, RefusedInputWritesNothing) {
  Wav eightBit{44100, 1, 8, {1, 2, 3, 4}};
  Wav slow{16000, 1, 16, {1, 2, 3, 4}};
  struct Case {
    std::string input;
    const char* message;
  } cases[] = {
      {WriteFile("eight.wav", WavBytes(eightBit)),
       "16/24bit, 22.05kHz以上のwavファイルのみ有効です。"},
      {WriteFile("slow.wav", WavBytes(slow)), "16/24bit, 22.05kHz以上のwavファイルのみ有効です。"},
      {WriteFile("song.mp3", "ID3\x03not a wave file"), "Cannot decode "},
      {(dir_ / "missing.wav").string(), "mmioOpen(MMIO_READ) failed."},
      {WriteFile("cut.wav", WavBytes(MakeMusic(44100, 2, 16, 0.1)).substr(0, 2000)),
       "File read error."},
  };
  for (const Case& c : cases) {
    const std::string output = (dir_ / "out.vlx").string();
    const CliRun run = Run("analyse " + c.input + " -o " + output);
    EXPECT_EQ(run.status, 1) << c.input;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.input << ": " << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_FALSE(fs::exists(output)) << c.input;
  }
}

TEST_F(CliAnalyse, BadArgumentsAreRefusedWithUsage) {
  const std::string input = WriteFile("a.wav", WavBytes(MakeMusic(44100, 1, 16, 0.1)));
  for (const std::string& args : std::vector<std::string>{
           "analyse", "analyse " + input, "analyse " + input + " -o x.vlx --bins 3",
           "analyse " + input + " -o x.vlx --low C5", "analyse " + input + " -o x.vlx --high C5",
           "analyse " + input + " -o x.vlx --window hann", "frobnicate"}) {
    const CliRun run = Run(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_FALSE(run.err.empty()) << args;
  }
}

// Progress ends on the finished state, whether the analysis took one tick of
// the progress timer or many.
TEST_F(CliAnalyse, ProgressEndsAtOneHundredPercent) {
  for (const double seconds : {0.05, 30.0}) {
    SCOPED_TRACE(seconds);
    const std::string input = WriteFile("p.wav", WavBytes(MakeMusic(44100, 1, 16, seconds)));
    const CliRun run = Run("analyse " + input + " -o " + (dir_ / "p.vlx").string());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string last = " 100% completed.\n";
    ASSERT_GE(run.err.size(), last.size());
    EXPECT_EQ(run.err.substr(run.err.size() - last.size()), last) << run.err;
  }
}

// Every spelling that reaches the recording is refused before anything is
// read or written, and the recording keeps its bytes.
TEST_F(CliAnalyse, OutputNamingTheInputIsRefused) {
  const std::string bytes = WavBytes(MakeMusic(44100, 1, 16, 0.1));
  const std::string input = WriteFile("a.wav", bytes);
  fs::create_directory(dir_ / "sub");
  fs::create_symlink(input, dir_ / "link.wav");
  fs::create_hard_link(input, dir_ / "hard.wav");
  fs::create_directory_symlink(dir_, dir_ / "here");
  const std::string d = dir_.string();
  for (const std::string verb : {"analyse", "render"}) {
    for (const std::string& output : {input, d + "/./a.wav", d + "/sub/../a.wav", d + "/link.wav",
                                      d + "/hard.wav", d + "/here/a.wav"}) {
      const CliRun run = Run(verb + " " + input + " -o " + output);
      EXPECT_EQ(run.status, 2) << verb << " " << output;
      EXPECT_NE(run.err.find("is the input file"), std::string::npos) << run.err;
      EXPECT_EQ(ReadAll(input), bytes) << verb << " " << output;
    }
  }
  // The link as the input and the file itself as the output: the same recording.
  EXPECT_EQ(Run("analyse " + d + "/link.wav -o " + input).status, 2);
  EXPECT_EQ(ReadAll(input), bytes);
}

}  // namespace
}  // namespace velmio
