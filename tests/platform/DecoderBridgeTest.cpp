// The external decoder bridge with the real process adapter and a stand-in
// decoder program: the configuration check and its questions, the run with
// awkward file names, the output taken over as the temporary WAV, and a
// decoder that never ends being stopped.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "audio/DecoderBridge.h"
#include "platform/PosixProcessRunner.h"
#include "support/TempDir.h"

namespace velmio::test {
namespace {

namespace fs = std::filesystem;

constexpr char kQuestion[] = "EcoDecoTooL.iniを「ヴェルミオ」用に変更します。よろしいですか？";

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the bridge asked and said; questions are answered from `answers`.
struct Prompts {
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<bool> answers;

  DecoderPrompts Port() {
    DecoderPrompts p;
    p.report = [this](const std::string& m) { messages.push_back(m); };
    p.askYes = [this](const std::string& q) {
      questions.push_back(q);
      const bool yes = !answers.empty() && answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      return yes;
    };
    return p;
  }
};

// A program folder and a decoder folder with the stand-in installed in it.
class DecoderBridgeTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "program");
    fs::create_directories(dir.Path() / "decoder");
    fs::copy_file(VELMIO_STAND_IN_DECODER, decoder);
  }
  std::string ConfigFor(const std::string& folder) const {
    return "[ComboBox]\n1003=0\n[Radio]\nwav=1\noutfolder=1\n[Edit]\noutfolder=" + folder + "\n";
  }
  void WriteConfig(const std::string& text) const { dir.Write("decoder/EcoDecoTooL.ini", text); }
  bool Check() { return CheckDecoderIni(decoder, exeDir, prompts.Port()); }
  bool Run(const std::string& input) {
    return RunDecoder(decoder, exeDir, input, exeDir + "temp.wav", runner, prompts.Port(),
                      [](const std::function<void()>& wait) {
                        wait();
                        return true;
                      });
  }

  TempDir dir;
  const std::string exeDir = dir.Dir("program");
  const std::string decoder = dir / "decoder/EcoDecoTooL.exe";
  const std::string config = dir / "decoder/EcoDecoTooL.ini";
  const std::string folder = exeDir.substr(0, exeDir.size() - 1);
  Prompts prompts;
  PosixProcessRunner runner;
};

TEST_F(DecoderBridgeTest, MissingDecoderOrConfigurationIsReported) {
  fs::remove(decoder);
  EXPECT_FALSE(Check());
  fs::copy_file(VELMIO_STAND_IN_DECODER, decoder);
  EXPECT_FALSE(Check());
  EXPECT_EQ(
      prompts.messages,
      (std::vector<std::string>{
          "EcoDecoTooL.exeが見つかりません。\r\n「設定」から再度EcoDecoTooL.exeを指定して下さい",
          "EcoDecoTooL.iniが存在しません。\r\nEcoDecoTooL.exeを起動して終了してから再度この処"
          "理を行って下さい。"}));
  EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(DecoderBridgeTest, ConfigurationAlreadyRightIsLeftAloneWithoutAQuestion) {
  // Prefix rules: a 1003 value beginning with 0 and a folder beginning with D both count.
  const std::string text =
      "[ComboBox]\r\n1003=05\r\n[Radio]\nwav=1\noutfolder=1\n[Edit]\noutfolder=" + folder +
      "/more\nlast line without end";
  WriteConfig(text);
  EXPECT_TRUE(Check());
  EXPECT_EQ(Read(config), text);
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(fs::is_empty(dir.Path() / "program")) << "no working copy left";
}

TEST_F(DecoderBridgeTest, WrongValuesAreChangedOnlyWithConsent) {
  const std::string wrong =
      "; settings\n[ComboBox]\n1003=2\n1004=7\n[Radio]\nwav=0\noutfolder=0\nmp3=1\n[Other]\n"
      "wav=3\n[Edit]\noutfolder=/somewhere/else\nname=x\n";
  const std::string right =
      "; settings\n[ComboBox]\n1003=0\n1004=7\n[Radio]\nwav=1\noutfolder=1\nmp3=1\n[Other]\n"
      "wav=1\n[Edit]\noutfolder=" +
      folder + "\nname=x\n";
  WriteConfig(wrong);
  prompts.answers = {false};
  EXPECT_FALSE(Check());
  EXPECT_EQ(Read(config), wrong);
  EXPECT_TRUE(fs::is_empty(dir.Path() / "program"));

  prompts.answers = {true};
  EXPECT_TRUE(Check());
  EXPECT_EQ(Read(config), right);
  EXPECT_EQ(prompts.questions, (std::vector<std::string>{kQuestion, kQuestion}));
  EXPECT_TRUE(fs::is_empty(dir.Path() / "program"));
  EXPECT_TRUE(prompts.messages.empty());
}

// The decoder in the program's own folder: the working copy must not be its
// configuration file, which would be truncated while being read.
TEST_F(DecoderBridgeTest, DecoderInTheProgramFolderKeepsItsConfiguration) {
  const std::string inside = exeDir + "EcoDecoTooL.exe";
  fs::copy_file(VELMIO_STAND_IN_DECODER, inside);
  const std::string text = "[Radio]\nwav=0\noutfolder=1\n[Edit]\noutfolder=" + folder + "\n";
  dir.Write("program/EcoDecoTooL.ini", text);
  prompts.answers = {false};
  EXPECT_FALSE(CheckDecoderIni(inside, exeDir, prompts.Port()));
  EXPECT_EQ(Read(exeDir + "EcoDecoTooL.ini"), text);
  prompts.answers = {true};
  EXPECT_TRUE(CheckDecoderIni(inside, exeDir, prompts.Port()));
  EXPECT_EQ(Read(exeDir + "EcoDecoTooL.ini"),
            "[Radio]\nwav=1\noutfolder=1\n[Edit]\noutfolder=" + folder + "\n");
}

TEST_F(DecoderBridgeTest, NoWorkingCopyMeansNoChangeAndNoMessage) {
  WriteConfig("[Radio]\nwav=0\n");
  EXPECT_FALSE(CheckDecoderIni(decoder, dir.Dir("no/such/folder"), prompts.Port()));
  EXPECT_EQ(Read(config), "[Radio]\nwav=0\n");
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(prompts.questions.empty());
}

// The input path reaches the decoder as one argument, spaces and all; its
// output, named after the input, becomes the temporary WAV.
TEST_F(DecoderBridgeTest, RunsTheDecoderAndTakesItsOutput) {
  WriteConfig(ConfigFor(folder));
  fs::create_directories(dir.Path() / "my music");
  const std::string input = dir.Write("my music/夜の 歌 (live).mp3", "RIFF decoded bytes");
  dir.Write("program/temp.wav", "an earlier temporary file");

  ASSERT_TRUE(Run(input));

  EXPECT_EQ(Read(exeDir + "temp.wav"), "RIFF decoded bytes");
  EXPECT_FALSE(fs::exists(exeDir + "夜の 歌 (live).wav")) << "renamed, not copied";
  EXPECT_EQ(Read(exeDir + "arguments.txt"), input + "\n");
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(DecoderOutputPath(input, exeDir + "temp.wav"), exeDir + "夜の 歌 (live).wav");
}

TEST_F(DecoderBridgeTest, NoOutputFailsQuietlyAndAStaleOutputIsTaken) {
  WriteConfig(ConfigFor(folder));
  const std::string input = dir.Write("song.mp3", "FAIL this time");
  EXPECT_FALSE(Run(input));
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(fs::exists(exeDir + "temp.wav"));

  // Left by an earlier run: taken as the output although the decoder failed.
  dir.Write("program/song.wav", "stale output");
  EXPECT_TRUE(Run(input));
  EXPECT_EQ(Read(exeDir + "temp.wav"), "stale output");
}

// Declining the question abandons the run: the decoder never starts.
TEST_F(DecoderBridgeTest, DeclinedChangeAbandonsTheRun) {
  WriteConfig("[Radio]\nwav=0\n");
  prompts.answers = {false};
  EXPECT_FALSE(Run(dir.Write("song.mp3", "RIFF")));
  EXPECT_FALSE(fs::exists(exeDir + "arguments.txt"));
  EXPECT_FALSE(fs::exists(exeDir + "temp.wav"));
}

// A decoder that never ends is killed when the wait is given up, and the
// runner is free for the next one.
TEST_F(DecoderBridgeTest, StopEndsADecoderThatHangs) {
  WriteConfig(ConfigFor(folder));
  const std::string input = dir.Write("hang.mp3", "HANG");
  ASSERT_TRUE(runner.Start(decoder, {input}));
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    runner.Stop();
  });
  EXPECT_FALSE(runner.Wait());
  stopper.join();
  // Through the bridge: the wait is abandoned (the window closed).
  const bool converted =
      RunDecoder(decoder, exeDir, input, exeDir + "temp.wav", runner, prompts.Port(),
                 [](const std::function<void()>&) { return false; });
  EXPECT_FALSE(converted);
  EXPECT_TRUE(runner.Wait()) << "nothing left running";
}

TEST_F(DecoderBridgeTest, ProgramThatCannotStartIsRefused) {
  EXPECT_FALSE(runner.Start(dir / "decoder/none.exe", {"x"}));
  EXPECT_TRUE(runner.Wait());
}

}  // namespace
}  // namespace velmio::test
