// velmio-cli render end to end: the picture of a recording with known content.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

#include "CliTestSupport.h"

namespace velmio {
namespace {

using CliRender = CliFixture;

// A steady sine of amplitude `amplitude` at `hz`, mono 16-bit 44.1 kHz.
Wav Sine(double hz, double amplitude, double seconds) {
  Wav w{44100, 1, 16, {}};
  for (int i = 0; i < static_cast<int>(44100 * seconds); ++i) {
    w.samples.push_back(
        static_cast<int32_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / 44100))));
  }
  return w;
}

int Grey(const QImage& image, int x, int y) {
  return qGray(image.pixel(x, y));
}

TEST_F(CliRender, SineLandsOnItsNoteRows) {
  // A4 (note 57) in the default range C1..C10 fills display rows 8*(119-57) .. +7;
  // with the view scrolled down by 400 it appears at client y = row + 16 - 400.
  const std::string input = WriteFile("a4.wav", WavBytes(Sine(440.0, 16000, 2.0)));
  const std::string output = (dir_ / "a4.png").string();
  // Top colour at 0 dB, so that the sine's -12 dB does not saturate and the
  // brightest row is the closest sub-bin, +0.0625 semitone: rows 2-3 of the block.
  const CliRun run = Run("render " + input + " -o " + output +
                         " --size 400x300 --scroll 0,400 --gain 0 --range 40");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("処理時間"), std::string::npos);
  QImage image(QString::fromStdString(output));
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.size(), QSize(400, 300));
  const int firstRow = 8 * (119 - 57) + 16 - 400;
  const int column = 40 + 150;  // well inside the sound
  int brightest = 16;
  for (int y = 16; y < 300; ++y) {
    if (Grey(image, column, y) > Grey(image, column, brightest)) brightest = y;
  }
  EXPECT_TRUE(brightest == firstRow + 2 || brightest == firstRow + 3) << brightest - firstRow;
  // -12 dB over a 40 dB range from -40 dB: index trunc(28 * 255 / 40) = 178, about.
  EXPECT_NEAR(Grey(image, column, brightest), 178, 3);
  // Far from the note the body stays black (a row an octave higher, away from grid lines).
  EXPECT_EQ(Grey(image, column, firstRow - 90), 0);
}

TEST_F(CliRender, DisplayOptionsChangeThePicture) {
  const std::string input = WriteFile("a4.wav", WavBytes(Sine(440.0, 2000, 1.0)));
  const auto render = [&](const std::string& name, const std::string& options) {
    const std::string output = (dir_ / name).string();
    const CliRun run =
        Run("render " + input + " -o " + output + " --size 300x200 --scroll 0,400 " + options);
    EXPECT_EQ(run.status, 0) << options << ": " << run.err;
    return QImage(QString::fromStdString(output));
  };
  const QImage plain = render("plain.png", "");
  const QImage quieter = render("gain.png", "--gain 40");
  const QImage colour = render("colour.png", "--color");
  const QImage waveform = render("wave.png", "--waveform");
  const int y = 8 * (119 - 57) + 16 - 400 + 3, x = 140;
  // About -30 dB: a mid grey between the default -44 and -24 dB; with a gain of
  // 40 the top colour starts at -40 dB, so the same cell reads full white.
  EXPECT_GT(Grey(plain, x, y), 0);
  EXPECT_LT(Grey(plain, x, y), 255);
  EXPECT_EQ(quieter.pixel(x, y), qRgb(255, 255, 255));
  EXPECT_NE(qRed(colour.pixel(x, y)), qBlue(colour.pixel(x, y)));  // not a grey any more
  EXPECT_NE(waveform, plain);
}

// Zoomed out to four frames per column, each column shows the loudest of its
// frames: against the picture at one frame per column, four times as wide,
// whose grey levels rise with the level as the colour index does.
TEST_F(CliRender, ZoomedOutColumnsShowTheLoudestOfTheirFourFrames) {
  const std::string input = WriteFile("music.wav", WavBytes(MakeMusic(44100, 1, 16, 2.0)));
  const auto render = [&](const std::string& name, const std::string& options) {
    const std::string output = (dir_ / name).string();
    const CliRun run = Run("render " + input + " -o " + output + " --scroll 0,300 " + options);
    EXPECT_EQ(run.status, 0) << options << ": " << run.err;
    return QImage(QString::fromStdString(output));
  };
  const QImage plain = render("plain.png", "--size 400x240");
  const QImage once = render("once.png", "--size 400x240 --zoom 1");
  const QImage zoomed = render("zoomed.png", "--size 130x240 --zoom -4");
  ASSERT_FALSE(plain.isNull());
  EXPECT_EQ(once, plain) << "one frame per column is the unzoomed picture";
  ASSERT_EQ(zoomed.size(), QSize(130, 240));
  const auto grid = [](QRgb p) { return qRed(p) != qGreen(p) || qGreen(p) != qBlue(p); };
  int compared = 0;
  for (int c = 4; c < 90; ++c) {  // the octave labels reach into the first columns
    for (int y = 17; y < 240; ++y) {
      const QRgb shown = zoomed.pixel(40 + c, y);
      int loudest = 0;
      bool crossed = grid(shown);
      for (int k = 0; k < 4; ++k) {
        const QRgb p = plain.pixel(40 + 4 * c + k, y);
        crossed = crossed || grid(p);
        loudest = std::max(loudest, qGray(p));
      }
      if (crossed) continue;  // a grid line lies over the body here
      ASSERT_EQ(qGray(shown), loudest) << "column " << c << " y " << y;
      ++compared;
    }
  }
  EXPECT_GT(compared, 80 * 200);
}

TEST_F(CliRender, RefusesBadInputAndArguments) {
  const std::string input = WriteFile("a.wav", WavBytes(Sine(440.0, 1000, 0.2)));
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {"render " + (dir_ / "missing.wav").string() + " -o " + (dir_ / "x.png").string(), 1},
      {"render " + input + " -o " + (dir_ / "no-such-dir" / "x.png").string(), 1},
      {"render " + input + " -o x.png --size 0x10", 2},
      {"render " + input + " -o x.png --scroll 5", 2},
      {"render " + input + " -o x.png --grid hex", 2},
      {"render " + input + " -o x.png --harmonics 9", 2},
      {"render " + input + " -o x.png --zoom -3", 2},
      {"render " + input + " -o x.png --zoom 8", 2},
      {"render " + input, 2},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    EXPECT_FALSE(run.err.empty()) << c.args;
  }
}

}  // namespace
}  // namespace velmio
