// The MIDI bytes of the view: start-up, a click on a pitch row, the
// instrument change, and the shutdown that must not leave a note thread
// sending to a closed output.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "RecordingMidiOut.h"
#include "audio/VirtualWaveOutDevice.h"
#include "persist/SettingsFile.h"
#include "view/HeadlessHost.h"
#include "view/TestView.h"

namespace velmio::test {
namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

const std::string kGeneralMidiOn = "F0 7E 7F 09 01 F7";

// A view on a headless 800 x 600 window whose settings file lives in a fresh
// directory; `midi` records what the view sends.
class MidiViewTest : public testing::Test {
 protected:
  MidiViewTest() {
    std::random_device seed;
    m_dir = fs::temp_directory_path() / ("velmio-midi-" + std::to_string(seed()));
    fs::create_directories(m_dir);
  }
  ~MidiViewTest() override {
    view.reset();
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
  }

  std::string IniPath() const { return (m_dir / "velmio.ini").string(); }

  void OpenView() {
    ProgramPaths paths;
    paths.exeDir = m_dir.string() + "/";
    paths.iniPath = IniPath();
    paths.tempWavPath = (m_dir / "temp.wav").string();
    view = std::make_unique<CTestView>(host, paths, &midi, waveOut);
  }

  // Shows the note range [low, high) scrolled to y (the host clamps it).
  void ShowRange(int32_t low, int32_t high, int32_t clientHeight, int32_t scrollY) {
    AnalysisSettings settings = view->Settings();
    settings.m_lowNote = low;
    settings.m_highNote = high;
    view->UseSettings(settings);
    host.SetClientSize({800, clientHeight});
    ScrollSizes sizes;
    sizes.contentWidth = 2000;
    sizes.contentHeight = 8 * (high - low) + 16;
    host.SetScrollSizes(sizes);
    host.ScrollTo({0, scrollY});
  }

  HeadlessHost host;
  RecordingMidiOut midi;
  VirtualWaveOutDevice waveOut;
  std::unique_ptr<CTestView> view;

 private:
  fs::path m_dir;
};

TEST_F(MidiViewTest, StartupSendsGeneralMidiOnThenTheSavedProgram) {
  AnalysisSettings saved;
  saved.m_midiProgram = 40;
  ASSERT_TRUE(WriteSettingsFile(IniPath(), saved, {}));
  OpenView();
  EXPECT_EQ(midi.Calls(), (Calls{kGeneralMidiOn, "C0 28"}));
  view.reset();
  EXPECT_EQ(midi.Calls(), (Calls{kGeneralMidiOn, "C0 28", "reset", "close"}));
}

struct ClickCase {
  const char* what;
  int32_t lowNote;
  int32_t highNote;
  int32_t clientHeight;
  int32_t scrollY;  // as asked; the host keeps it inside the picture
  int32_t x;
  int32_t y;
  const char* note;  // data byte of the note on and off; nullptr: nothing sent
};

const ClickCase kClicks[] = {
    // C0 ... B9 shown, C10 top: the top rows would be notes 128 ... 131.
    {"C10 top row", 12, 120, 600, 0, 100, 16, nullptr},
    {"last row above G9", 12, 120, 600, 0, 100, 47, nullptr},
    {"G9 row", 12, 120, 600, 0, 100, 48, "7F"},
    {"ruler", 12, 120, 600, 0, 100, 15, nullptr},
    {"bottom row scrolled down, C1", 12, 120, 600, 280, 100, 599, "18"},
    {"keyboard strip, scrolled down", 12, 120, 600, 280, 5, 400, "30"},
    // C4 ... B5 fits the window: rows end before the client does.
    {"B5 top row", 48, 72, 600, 0, 100, 16, "53"},
    {"C4 bottom row, beyond the last frame", 48, 72, 600, 0, 1900, 207, "3C"},
    {"below the lowest row", 48, 72, 600, 0, 100, 208, nullptr},
    // C3 ... B7 scrolled part way.
    {"top row scrolled by 100", 36, 96, 300, 100, 100, 16, "5F"},
    {"bottom of window scrolled by 100", 36, 96, 300, 100, 100, 299, "3C"},
};

TEST_F(MidiViewTest, ClickSoundsTheRowUnderTheCursor) {
  OpenView();
  view->NoteOutput().SetNoteDuration(std::chrono::milliseconds(0));
  for (const ClickCase& c : kClicks) {
    SCOPED_TRACE(c.what);
    ShowRange(c.lowNote, c.highNote, c.clientHeight, c.scrollY);
    ASSERT_EQ(host.GetScrollPosition().y, c.scrollY);
    midi.Clear();
    view->OnLButtonDown(c.x, c.y);
    view->NoteOutput().WaitForNote();
    const Calls expected = c.note == nullptr ? Calls{}
                                             : Calls{std::string("90 ") + c.note + " 7F",
                                                     std::string("90 ") + c.note + " 00"};
    EXPECT_EQ(midi.Calls(), expected);
    EXPECT_EQ(view->NoteOutput().SoundingNote(), 0);
  }
}

// A note that would last an hour: the second click finds it sounding, and
// closing the view ends it at once, note off before the reset.
TEST_F(MidiViewTest, ClicksWhileANoteSoundsAreIgnoredAndShutdownEndsTheNote) {
  OpenView();
  view->NoteOutput().SetNoteDuration(std::chrono::hours(1));
  ShowRange(48, 72, 600, 0);
  view->OnLButtonDown(100, 16);
  EXPECT_EQ(view->NoteOutput().SoundingNote(), 0x53);
  view->OnLButtonDown(100, 207);
  EXPECT_EQ(view->NoteOutput().SoundingNote(), 0x53);
  view.reset();
  EXPECT_EQ(midi.Calls(),
            (Calls{kGeneralMidiOn, "C0 00", "90 53 7F", "90 53 00", "reset", "close"}));
}

TEST_F(MidiViewTest, InstrumentChangeSendsOnlyANewProgramKeptInRange) {
  OpenView();
  struct Step {
    int32_t entered;
    int32_t program;
    Calls sent;
  };
  const Step steps[] = {
      {1, 0, {}},             // the start-up program again
      {41, 40, {"C0 28"}},    // a new one
      {41, 40, {}},           // the same again
      {200, 127, {"C0 7F"}},  // beyond the last instrument
      {129, 127, {}},         // still the last
      {0, 0, {"C0 00"}},      // below the first
      {-5, 0, {}},            // still the first
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.entered);
    midi.Clear();
    view->SetMidiInstrument(step.entered);
    EXPECT_EQ(midi.Calls(), step.sent);
    EXPECT_EQ(view->Settings().m_midiProgram, step.program);
  }
}

TEST(MidiNoteAtRowTest, RowsOutsideThePictureSoundNothing) {
  // A scroll position left from the full range after switching to C4 ... B5.
  EXPECT_EQ(MidiNoteAtRow(200, 600, 280, 48, 72), 0);
  EXPECT_EQ(MidiNoteAtRow(20, 600, -64, 48, 72), 0);
  EXPECT_EQ(MidiNoteAtRow(20, 600, 0, 48, 48), 0);
}

TEST(MidiNoteOutputTest, WithoutAnOutputNoNoteStarts) {
  MidiNoteOutput output(nullptr);
  output.SendStartup(3);
  EXPECT_FALSE(output.StartNote(60));
  EXPECT_EQ(output.SoundingNote(), 0);
  output.Shutdown();
}

}  // namespace
}  // namespace velmio::test
