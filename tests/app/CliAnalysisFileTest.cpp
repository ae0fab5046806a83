// velmio-cli on saved analyses: a saved .vlx opens and saves again byte for
// byte, and renders as the recording it was made from, at the same options.
#include <gtest/gtest.h>

#include <string>

#include "CliTestSupport.h"

namespace velmio {
namespace {

using CliAnalysisFile = CliFixture;

TEST_F(CliAnalysisFile, RoundTripsAndRendersLikeTheRecording) {
  struct RoundTripCase {
    const char* name;
    int channels;
    const char* options;
  } cases[] = {
      {"default", 2, ""},
      {"narrow range, other tuning", 1, "--bins 2 --a4 432 --low C3 --high C7 --window cq"},
  };
  for (const RoundTripCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string wav = WriteFile("take.wav", WavBytes(MakeMusic(44100, c.channels, 16, 1.2)));
    const std::string first = (dir_ / "first.vlx").string(), again = (dir_ / "again.vlx").string();
    ASSERT_EQ(Run("analyse " + wav + " -o " + first + " " + c.options).status, 0);
    const CliRun reopened = Run("analyse " + first + " -o " + again + " " + c.options);
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_TRUE(ReadAll(first) == ReadAll(again)) << "saved again, the file differs";

    const std::string display = " --size 500x300 --scroll 30,200 --gain 10 --range 30 --color";
    const std::string fromWav = (dir_ / "wav.png").string(), fromVlx = (dir_ / "vlx.png").string();
    ASSERT_EQ(Run("render " + wav + " -o " + fromWav + " " + c.options + display).status, 0);
    const CliRun drawn = Run("render " + first + " -o " + fromVlx + " " + c.options + display);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_TRUE(ReadAll(fromWav) == ReadAll(fromVlx)) << "the pictures differ";
  }
}

TEST_F(CliAnalysisFile, DamagedFileIsRefusedWithTheFormatMessage) {
  const std::string wav = WriteFile("take.wav", WavBytes(MakeMusic(44100, 1, 16, 0.5)));
  const std::string good = (dir_ / "good.vlx").string();
  ASSERT_EQ(Run("analyse " + wav + " -o " + good).status, 0);
  const std::string cut = WriteFile("cut.vlx", ReadAll(good).substr(0, 5000));
  const CliRun run = Run("render " + cut + " -o " + (dir_ / "x.png").string());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("*.vlxファイルの形式が異なります。"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "x.png"));
}

}  // namespace
}  // namespace velmio
