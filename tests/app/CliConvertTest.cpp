// velmio-cli convert end to end: a sung-like WAV in, the converted voice out,
// checked against a plain pitch detector and a plain TD-PSOLA written in the
// tests, for the pitch heard and the length kept, and for its option rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "CliTestSupport.h"
#include "audio/ReferencePsola.h"
#include "audio/SungTone.h"
#include "support/ReferencePitch.h"

namespace velmio {
namespace {

using CliConvert = CliFixture;

struct SavedWave {
  int channels = 0, rate = 0, bits = 0;
  std::vector<int16_t> samples;
};

SavedWave ReadSaved(const std::string& bytes) {
  SavedWave wave;
  auto u16 = [&](std::size_t at) {
    return static_cast<int>(static_cast<uint8_t>(bytes[at]) |
                            static_cast<uint8_t>(bytes[at + 1]) << 8);
  };
  auto u32 = [&](std::size_t at) {
    return static_cast<uint32_t>(u16(at)) | static_cast<uint32_t>(u16(at + 2)) << 16;
  };
  if (bytes.size() < 44 || bytes.compare(36, 4, "data") != 0) return wave;
  wave.channels = u16(22);
  wave.rate = static_cast<int>(u32(24));
  wave.bits = u16(34);
  const uint32_t size = std::min<uint32_t>(u32(40), static_cast<uint32_t>(bytes.size() - 44));
  wave.samples.resize(size / 2);
  std::memcpy(wave.samples.data(), bytes.data() + 44, size / 2 * 2);
  return wave;
}

std::string MonoWav(const std::vector<int16_t>& pcm, int rate) {
  Wav wav{rate, 1, 16, {}};
  wav.samples.assign(pcm.begin(), pcm.end());
  return WavBytes(wav);
}

TEST_F(CliConvert, PitchAndFormantZeroGiveTheInputByteForByte) {
  for (int rate : {22050, 48000}) {
    const test::SungTone tone = test::MakeSungTone({rate, 0.7, 180.0, 240.0, 0.02, 15000.0, 10});
    const std::string in = WriteFile("voice.wav", MonoWav(tone.pcm, rate));
    const std::string out = (dir_ / "same.wav").string();
    const CliRun run = Run("convert " + in + " -o " + out + " --pitch 0 --formant 0");
    ASSERT_EQ(run.status, 0) << run.err;
    const SavedWave saved = ReadSaved(ReadAll(out));
    EXPECT_EQ(saved.channels, 1);
    EXPECT_EQ(saved.rate, rate);
    EXPECT_EQ(saved.bits, 16);
    EXPECT_EQ(saved.samples, tone.pcm) << rate << " Hz";
  }
}

TEST_F(CliConvert, MatchesAPlainDetectorAndTdPsolaWithinTwoLsb) {
  struct Case {
    const char* options;
    int32_t low, high;  // the searched range
    float pitch, formant;
  };
  const Case cases[] = {
      {"--pitch 12 --formant 6", 31, 64, 2.0f, std::sqrt(2.0f)},
      {"--pitch -12 --formant -6 --pitch-range G3-E5", 43, 64, 0.5f, 1.0f / std::sqrt(2.0f)},
      {"--pitch 3.5 --formant -2.5 --pitch-range D#2-C5", 27, 60, 0.0f, 0.0f},
  };
  const int rate = 44100;
  const test::SungTone tone = test::MakeSungTone({rate, 1.2, 170.0, 290.0, 0.02, 12000.0, 10});
  const std::string in = WriteFile("voice.wav", MonoWav(tone.pcm, rate));
  std::vector<float> padded(tone.signal);
  padded.resize((padded.size() + 31) / 32 * 32, 0.0f);
  for (const Case& c : cases) {
    const std::string out = (dir_ / "converted.wav").string();
    const CliRun run = Run("convert " + in + " -o " + out + " " + c.options);
    ASSERT_EQ(run.status, 0) << run.err;
    const SavedWave saved = ReadSaved(ReadAll(out));
    ASSERT_EQ(saved.samples.size(), tone.pcm.size()) << c.options;

    const reference::Pitch pitch = reference::Detect(padded, 0, rate, 256, 120, c.low, c.high);
    float pr = c.pitch, fr = c.formant;
    if (pr == 0.0f) {  // the ratios of slider positions 7 and -5
      pr = static_cast<float>(std::pow(2.0, static_cast<double>(7.0f * (1.0f / 24.0f))));
      fr = static_cast<float>(std::pow(2.0, static_cast<double>(-2.5f * (1.0f / 12.0f))));
    }
    const test::ReferencePsolaResult expected = test::ReferencePsola(
        padded, pitch.marks, static_cast<int32_t>(tone.pcm.size()), pr, fr);
    ASSERT_TRUE(expected.placed);
    int worst = 0;
    for (std::size_t i = 0; i < saved.samples.size(); ++i) {
      // Past the rendered part a fresh recording's converted audio is silent.
      const int want = i < expected.out.size() ? expected.out[i] : 0;
      worst = std::max(worst, std::abs(saved.samples[i] - want));
    }
    EXPECT_LE(worst, 2) << c.options;
  }
}

TEST_F(CliConvert, OctaveUpDoublesTheFundamentalAndKeepsTheLength) {
  const int rate = 44100;
  const test::SungTone tone = test::MakeSungTone({rate, 1.0, 196.0, 196.0, 0.0, 12000.0, 12});
  const std::string in = WriteFile("voice.wav", MonoWav(tone.pcm, rate));
  const std::string out = (dir_ / "up.wav").string();
  ASSERT_EQ(Run("convert " + in + " -o " + out + " --pitch 12 --formant 0").status, 0);
  const SavedWave saved = ReadSaved(ReadAll(out));
  ASSERT_EQ(saved.samples.size(), tone.pcm.size());
  const int32_t from = 8000, to = 8000 + 16384;
  EXPECT_NEAR(test::MeasuredFundamental(tone.pcm, from, to, rate), 196.0, 1.0);
  EXPECT_NEAR(test::MeasuredFundamental(saved.samples, from, to, rate), 392.0, 2.0);
}

TEST_F(CliConvert, OptionsOutOfRangeExitTwoWithTheUsage) {
  const std::string in = WriteFile("voice.wav", MonoWav(std::vector<int16_t>(44100, 0), 44100));
  const std::string out = (dir_ / "never.wav").string();
  const char* wrong[] = {
      "--pitch 24.5 --formant 0",   "--pitch -25 --formant 0",
      "--pitch 0.25 --formant 0",   "--pitch 0 --formant 12.5",
      "--pitch 0 --formant -13",    "--pitch abc --formant 0",
      "--pitch 1",                  "--formant 1",
      "--pitch 0 --formant 0 --pitch-range H2-C3",
      "--pitch 0 --formant 0 --pitch-range C2-C9",
      "--pitch 0 --formant 0 --pitch-range E#2-C5",
      "--pitch 0 --formant 0 --speed 2",
  };
  for (const char* options : wrong) {
    const CliRun run = Run("convert " + in + " -o " + out + " " + options);
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_NE(run.err.find("velmio-cli convert INPUT.wav -o OUTPUT.wav"), std::string::npos)
        << options;
    EXPECT_FALSE(fs::exists(out)) << options;
  }
  // The limits themselves are accepted.
  EXPECT_EQ(Run("convert " + in + " -o " + out + " --pitch -24 --formant 12").status, 0);
  EXPECT_EQ(Run("convert " + in + " -o " + out + " --pitch 24 --formant -12").status, 0);
}

TEST_F(CliConvert, AFileThatIsNotReadableIsReportedAndExitsOne) {
  const std::string in = WriteFile("broken.wav", "RIFF\x04\x00\x00\x00WAVE");
  const std::string out = (dir_ / "never.wav").string();
  const CliRun run = Run("convert " + in + " -o " + out + " --pitch 12 --formant 0");
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(run.err.empty());
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace velmio
