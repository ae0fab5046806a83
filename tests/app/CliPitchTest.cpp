// velmio-cli with --pitch and --formants: the pitch section of the analysis
// file and the overlays of the picture, against literal implementations.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "CliTestSupport.h"
#include "support/ReferenceFormants.h"
#include "support/ReferencePitch.h"
#include "support/SyntheticVoice.h"

namespace velmio {
namespace {

using CliPitch = CliFixture;

// The signal in 16-bit units as the file stores it, one channel or two.
Wav VoiceWav(const std::vector<float>& voice, int rate, int channels) {
  Wav w{rate, channels, 16, {}};
  for (float v : voice) {
    w.samples.push_back(static_cast<int32_t>(v));
    if (channels == 2) w.samples.push_back(static_cast<int32_t>(v * 0.5f) + 3);
  }
  return w;
}

std::vector<float> PaddedMono(const Wav& w) {
  std::vector<float> x;
  for (double v : MonoOf(w)) x.push_back(static_cast<float>(v));
  return synthetic::PadTo32(std::move(x));
}

int FramesOf(std::size_t padded, int hop) {
  return static_cast<int>((padded / hop + 3) / 4 * 4);
}

int32_t I32(const std::string& b, std::size_t at) {
  return static_cast<int32_t>(uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
                              uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24);
}
int16_t I16(const std::string& b, std::size_t at) {
  return static_cast<int16_t>(uint16_t(uint8_t(b[at])) | uint16_t(uint8_t(b[at + 1])) << 8);
}

struct PitchCase {
  const char* name;
  int rate, channels;
  const char* range;
  int low, high;
  double seconds;
  bool piano;
};

TEST_F(CliPitch, PitchSectionEqualsALiteralDetector) {
  const std::vector<PitchCase> cases = {
      {"sung mono 44.1k", 44100, 1, "G2-E5", 31, 64, 1.0, false},
      {"piano stereo 48k", 48000, 2, "C3-C6", 36, 72, 1.0, true},
      {"sung stereo 22.05k", 22050, 2, "C2-E5", 24, 64, 1.0, false},
      {"sung mono 96k, widest range", 96000, 1, "C0-C8", 0, 96, 0.15, false},
      {"sharp notes 88.2k", 88200, 1, "F#2-A#5", 30, 70, 0.3, true},
  };
  for (const PitchCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<float> voice =
        c.piano ? synthetic::PianoNotes(c.rate, {45, 52, 57, 64, 69}, c.seconds / 5)
                : synthetic::SungGlide(c.rate, c.seconds, 130.0, 480.0);
    const Wav wav = VoiceWav(voice, c.rate, c.channels);
    const std::string input = WriteFile("voice.wav", WavBytes(wav));
    const std::string output = (dir_ / "voice.vlx").string();
    const CliRun run = Run("analyse " + input + " -o " + output + " --pitch " + c.range);
    ASSERT_EQ(run.status, 0) << run.err;

    const std::vector<float> mono = PaddedMono(wav);
    const int hop = c.rate * 256 / 44100;
    const int frames = FramesOf(mono.size(), hop);
    const reference::Pitch want =
        reference::Detect(mono, frames, c.rate, hop, 120, c.low, c.high);
    const std::string b = ReadAll(output);
    const std::size_t cells = static_cast<std::size_t>(8 * 108) * frames;
    ASSERT_EQ(I32(b, 16), frames);
    const std::size_t voiceAt = 648 + 4 * cells + 4 * static_cast<std::size_t>(frames);
    EXPECT_EQ(I32(b, voiceAt), 1);
    EXPECT_EQ(I32(b, voiceAt + 8), c.low);
    EXPECT_EQ(I32(b, voiceAt + 12), c.high);
    std::size_t at = voiceAt + 84;
    std::vector<int16_t> track;
    for (int t = 0; t < frames; ++t, at += 2) track.push_back(I16(b, at));
    EXPECT_EQ(track, want.track);
    for (int32_t v : {c.low, c.high, 0, 0}) {
      EXPECT_EQ(I32(b, at), v);
      at += 4;
    }
    const int32_t m = I32(b, at);
    at += 4;
    ASSERT_EQ(m + 1, static_cast<int32_t>(want.marks.size()));
    ASSERT_GT(m, 0);
    std::vector<int32_t> marks;
    std::vector<int16_t> peaks;
    for (int i = 0; i <= m; ++i, at += 4) marks.push_back(I32(b, at));
    for (int i = 0; i <= m; ++i, at += 2) peaks.push_back(I16(b, at));
    EXPECT_EQ(marks, want.marks);
    EXPECT_EQ(peaks, want.peaks);
    EXPECT_EQ(b.size(), at);
    EXPECT_EQ(b.size(), 732 + 4 * cells + 4 * static_cast<std::size_t>(frames) +
                            2 * static_cast<std::size_t>(frames) + 20 + 6 * (m + 1));
  }
}

TEST_F(CliPitch, FormantOverlayCoversTheMarkedCells) {
  const std::vector<float> voice = synthetic::SungGlide(44100, 0.5, 180.0, 300.0, 20000.0);
  const Wav wav = VoiceWav(voice, 44100, 1);
  const std::string input = WriteFile("voice.wav", WavBytes(wav));
  const std::vector<float> mono = PaddedMono(wav);
  const int frames = FramesOf(mono.size(), 256);
  const std::vector<uint8_t> want = reference::FormantMask(mono, frames, 256, 12, 120, 2);
  const int width = frames + 40, height = 8 * 108 + 16;
  const std::string output = (dir_ / "f.png").string();
  const CliRun run = Run("render " + input + " -o " + output + " --formants 2 --size " +
                         std::to_string(width) + "x" + std::to_string(height));
  ASSERT_EQ(run.status, 0) << run.err;
  const QImage image(QString::fromStdString(output));
  ASSERT_EQ(image.size(), QSize(width, height));
  int marked = 0, shown = 0;
  for (int r = 0; r < 8 * 108; ++r) {
    for (int t = 0; t < frames; ++t) {
      const bool cyan = (image.pixel(40 + t, 16 + r) & 0xffffff) == 0x00c8ff;
      const bool cell = want[static_cast<std::size_t>(r) * frames + t] != 0;
      EXPECT_FALSE(cyan && !cell) << "row " << r << " frame " << t;
      marked += cell;
      shown += cyan && cell;
    }
  }
  ASSERT_GT(marked, 100);
  // Grid lines and the keyboard's edge may cover a few cells.
  EXPECT_GT(shown, marked * 9 / 10);

  const std::string plain = (dir_ / "p.png").string();
  ASSERT_EQ(Run("render " + input + " -o " + plain + " --size 300x300").status, 0);
  const QImage none(QString::fromStdString(plain));
  for (int y = 0; y < none.height(); ++y)
    for (int x = 0; x < none.width(); ++x) ASSERT_NE(none.pixel(x, y) & 0xffffff, 0x00c8ffu);
}

TEST_F(CliPitch, PitchCurveIsDrawnOnlyInSingleVoiceMode) {
  const std::vector<float> voice = synthetic::SungGlide(44100, 0.6, 220.0, 220.0);
  const std::string input = WriteFile("voice.wav", WavBytes(VoiceWav(voice, 44100, 1)));
  const auto render = [&](const std::string& name, const std::string& options) {
    const std::string output = (dir_ / name).string();
    EXPECT_EQ(Run("render " + input + " -o " + output + " --size 200x300 --scroll 0,400 " +
                  options).status, 0);
    return QImage(QString::fromStdString(output));
  };
  EXPECT_NE(render("curve.png", "--pitch G2-E5"), render("plain.png", ""));
}

TEST_F(CliPitch, BadPitchOptionsAreRefused) {
  const std::string input = WriteFile("v.wav", WavBytes(VoiceWav(std::vector<float>(4410), 44100, 1)));
  for (const char* options :
       {"--pitch G2", "--pitch G2-E9", "--pitch H2-E5", "--pitch C#8-D8", "--pitch", "--formants 3",
        "--formants x"}) {
    SCOPED_TRACE(options);
    const CliRun run = Run("analyse " + input + " -o " + (dir_ / "o.vlx").string() + " " + std::string(options));
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(fs::exists(dir_ / "o.vlx"));
  }
}

}  // namespace
}  // namespace velmio
