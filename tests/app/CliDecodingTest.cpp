// velmio-cli on compressed and other non-WAV input: the analysis equals that
// of the same audio decoded to a 16-bit WAV by the ffmpeg command. Inputs are
// encoded by the ffmpeg command at test time; without it the tests skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "CliTestSupport.h"

namespace velmio {
namespace {

using CliDecoding = CliFixture;

bool HaveFfmpegCommand() {
  static const bool found = std::system("ffmpeg -version > /dev/null 2>&1") == 0;
  return found;
}

bool Ffmpeg(const std::string& arguments) {
  return std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments).c_str()) == 0;
}

// Everything of a saved analysis but the source path field (bytes 44 ... 555).
std::string WithoutPath(const std::string& file) {
  if (file.size() < 556) return file;
  return file.substr(0, 44) + file.substr(556);
}

TEST_F(CliDecoding, AnalysisEqualsThatOfTheFfmpegCommandsWav) {
  if (!HaveFfmpegCommand()) GTEST_SKIP() << "no ffmpeg command";
  const std::string music = WriteFile("music.wav", WavBytes(MakeMusic(44100, 2, 16, 1.5)));
  struct FormatCase {
    const char* file;
    const char* codec;
  } cases[] = {
      {"a.mp3", "-c:a libmp3lame -b:a 160k"},
      {"a.ogg", "-c:a libvorbis"},
      {"a.opus", "-c:a libopus"},
      {"a.flac", "-c:a flac"},
      {"a.m4a", "-c:a aac"},
      {"mono.mp3", "-ac 1 -ar 32000 -c:a libmp3lame"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string input = (dir_ / c.file).string();
    ASSERT_TRUE(Ffmpeg("-i " + music + " " + c.codec + " " + input));
    const std::string reference = (dir_ / "reference.wav").string();
    ASSERT_TRUE(Ffmpeg("-i " + input + " -c:a pcm_s16le " + reference));

    const std::string ours = (dir_ / "ours.vlx").string(), theirs = (dir_ / "theirs.vlx").string();
    const CliRun decoded = Run("analyse " + input + " -o " + ours);
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    ASSERT_EQ(Run("analyse " + reference + " -o " + theirs).status, 0);
    const std::string a = ReadAll(ours), b = ReadAll(theirs);
    ASSERT_GT(a.size(), 732u);
    EXPECT_TRUE(WithoutPath(a) == WithoutPath(b)) << "the analyses differ";
    // The saved source is the file itself, not the temporary WAV.
    EXPECT_EQ(a.substr(44, input.size() + 1), input + '\0');
  }
}

TEST_F(CliDecoding, RenderDrawsADecodedFileAsItsWav) {
  if (!HaveFfmpegCommand()) GTEST_SKIP() << "no ffmpeg command";
  const std::string music = WriteFile("music.wav", WavBytes(MakeMusic(44100, 1, 16, 1.0)));
  const std::string input = (dir_ / "a.flac").string();
  ASSERT_TRUE(Ffmpeg("-i " + music + " -c:a flac " + input));
  const std::string a = (dir_ / "a.png").string(), b = (dir_ / "b.png").string();
  ASSERT_EQ(Run("render " + input + " -o " + a + " --size 300x200").status, 0);
  ASSERT_EQ(Run("render " + music + " -o " + b + " --size 300x200").status, 0);
  EXPECT_TRUE(ReadAll(a) == ReadAll(b));
}

}  // namespace
}  // namespace velmio
