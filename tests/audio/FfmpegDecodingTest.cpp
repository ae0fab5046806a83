// Built-in decoding: the WAV it writes holds the samples the ffmpeg command
// produces for the same file, in the shape the WAV reader accepts, and a file
// it cannot read is reported by name and leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/FfmpegDecoding.h"
#include "audio/PcmLoading.h"
#include "support/TempDir.h"

namespace velmio::test {
namespace {

bool HaveFfmpegCommand() {
  static const bool found = std::system("ffmpeg -version > /dev/null 2>&1") == 0;
  return found;
}

// Runs the ffmpeg command quietly; true when it succeeded.
bool Ffmpeg(const std::string& arguments) {
  return std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments).c_str()) == 0;
}

// A tone in `channels` channels (each at its own level) at `rate`, encoded
// by the ffmpeg command.
std::string Encoded(const TempDir& dir, const std::string& name, int channels, int rate,
                    const std::string& codec) {
  const std::string path = dir / name;
  std::string levels;
  for (int c = 0; c < channels; ++c) {
    if (c > 0) levels += '|';
    levels += std::to_string(0.9 - 0.13 * c);
    levels += "*val(0)";
  }
  const char* layout = channels == 1 ? "mono" : channels == 2 ? "stereo" : "5.1";
  const std::string source =
      "-f lavfi -i \"sine=frequency=440:sample_rate=" + std::to_string(rate) +
      ":duration=1.3\" -af \"aeval=" + levels + ":c=" + layout +
      ",aformat=channel_layouts=" + layout + "\" ";
  if (!Ffmpeg(source + codec + " \"" + path + "\""))
    ADD_FAILURE() << "ffmpeg could not make " << name;
  return path;
}

struct Pcm {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;
};

Pcm ReadWav(const std::string& path) {
  std::vector<std::string> reports;
  WaveData data([&](const std::string& m) { reports.push_back(m); });
  Pcm pcm;
  if (data.m_wave.OpenRead(path) != 0 ||
      !LoadPcm(data, [&](const std::string& m) { reports.push_back(m); })) {
    ADD_FAILURE() << path << " does not read back: " << (reports.empty() ? "" : reports[0]);
    return pcm;
  }
  pcm.channels = data.m_wave.format.nChannels;
  pcm.rate = static_cast<int>(data.m_wave.format.nSamplesPerSec);
  pcm.samples.assign(data.m_samples.begin(), data.m_samples.begin() + data.m_wave.dataSize / 2);
  return pcm;
}

struct FormatCase {
  const char* name;
  const char* file;
  const char* codec;
  int channels;
  int rate;
};

class DecodingMatchesFfmpeg : public testing::TestWithParam<FormatCase> {};

TEST_P(DecodingMatchesFfmpeg, SameSamplesAsTheFfmpegCommand) {
  if (!HaveFfmpegCommand()) GTEST_SKIP() << "no ffmpeg command";
  const FormatCase& c = GetParam();
  TempDir dir;
  const std::string input = Encoded(dir, c.file, c.channels, c.rate, c.codec);
  const std::string reference = dir / "reference.wav";
  ASSERT_TRUE(Ffmpeg("-i \"" + input + "\" -c:a pcm_s16le \"" + reference + "\""));

  std::vector<std::string> reports;
  ASSERT_TRUE(
      DecodeToWav(input, dir / "temp.wav", [&](const std::string& m) { reports.push_back(m); }));
  EXPECT_TRUE(reports.empty());
  const Pcm ours = ReadWav(dir / "temp.wav");
  const Pcm theirs = ReadWav(reference);
  EXPECT_EQ(ours.channels, theirs.channels);
  EXPECT_EQ(ours.rate, theirs.rate);
  ASSERT_EQ(ours.samples.size(), theirs.samples.size());
  EXPECT_TRUE(ours.samples == theirs.samples);
  EXPECT_EQ(dir.Entries().size(), 3u) << "no partial file left";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecodingMatchesFfmpeg,
    testing::Values(FormatCase{"Mp3Stereo", "a.mp3", "-c:a libmp3lame -b:a 128k", 2, 44100},
                    FormatCase{"Mp3Mono", "m.mp3", "-c:a libmp3lame", 1, 32000},
                    FormatCase{"OggVorbis", "a.ogg", "-c:a libvorbis", 2, 48000},
                    FormatCase{"Opus", "a.opus", "-c:a libopus", 2, 48000},
                    FormatCase{"Flac16", "a.flac", "-c:a flac", 2, 44100},
                    FormatCase{"Flac24", "b.flac", "-c:a flac -sample_fmt s32", 1, 96000},
                    FormatCase{"M4aAac", "a.m4a", "-c:a aac", 2, 44100},
                    FormatCase{"Aiff", "a.aiff", "", 2, 22050}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// What the WAV reader would refuse is brought into its range.
TEST(FfmpegDecoding, ShapesTheOutputForTheWavReader) {
  if (!HaveFfmpegCommand()) GTEST_SKIP() << "no ffmpeg command";
  struct ShapeCase {
    const char* file;
    int channels, rate;
    const char* codec;
    int wantChannels, wantRate;
  };
  const std::vector<ShapeCase> cases = {
      {"six.flac", 6, 48000, "-c:a flac", 2, 48000},   // 5.1 mixed down to stereo
      {"low.flac", 1, 8000, "-c:a flac", 1, 44100},    // telephone rate resampled
      {"edge.flac", 2, 22050, "-c:a flac", 2, 22050},  // the lowest rate kept as it is
  };
  for (const ShapeCase& s : cases) {
    SCOPED_TRACE(s.file);
    TempDir dir;
    const std::string input = Encoded(dir, s.file, s.channels, s.rate, s.codec);
    ASSERT_TRUE(DecodeToWav(input, dir / "temp.wav", nullptr));
    const Pcm pcm = ReadWav(dir / "temp.wav");
    EXPECT_EQ(pcm.channels, s.wantChannels);
    EXPECT_EQ(pcm.rate, s.wantRate);
    // 1.3 s of tone, give or take the resampler's edges.
    const double seconds = static_cast<double>(pcm.samples.size()) / pcm.channels / pcm.rate;
    EXPECT_NEAR(seconds, 1.3, 0.01);
    int16_t peak = 0;
    for (int16_t v : pcm.samples) peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(v)));
    EXPECT_GT(peak, 1000) << "the tone must survive the conversion";
  }
}

TEST(FfmpegDecoding, UnreadableFilesAreReportedByNameAndLeaveTheTargetAlone) {
  TempDir dir;
  const std::string earlier = dir.Write("temp.wav", "the WAV of the recording still loaded");
  const std::vector<std::string> inputs = {
      dir.Write("noise.mp3", std::string(3000, '\x5a')),
      dir.Write("empty.ogg", ""),
      dir / "missing.flac",
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    std::vector<std::string> reports;
    EXPECT_FALSE(DecodeToWav(input, earlier, [&](const std::string& m) { reports.push_back(m); }));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("Cannot decode " + input + ": ", 0), 0u) << reports[0];
    EXPECT_GT(reports[0].size(), ("Cannot decode " + input + ": ").size()) << "a reason is given";
    std::ifstream kept(earlier, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}),
              "the WAV of the recording still loaded");
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"empty.ogg", "noise.mp3", "temp.wav"}));
}

TEST(FfmpegDecoding, AudioExtensionsIgnoreLetterCase) {
  for (const char* path : {"a.wav", "b.MP3", "c.m4a", "d.Opus", "/x y/e.FLAC", "f.webm"})
    EXPECT_TRUE(IsAudioFilePath(path)) << path;
  for (const char* path : {"a.vlx", "b.txt", "mp3", "c.mp3.bak"})
    EXPECT_FALSE(IsAudioFilePath(path)) << path;
}

}  // namespace
}  // namespace velmio::test
