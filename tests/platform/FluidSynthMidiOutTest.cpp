// The FluidSynth port, rendered offline into buffers: a clicked row's note
// comes out at its pitch, note off and reset end it, and whatever is missing
// leaves the port silent without a word.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "platform/FluidSynthMidiOut.h"
#include "view/MidiNoteOutput.h"

namespace velmio::test {
namespace {

constexpr double kRate = 44100.0;
const char* const kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const std::vector<uint8_t> kGeneralMidiOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};

// An offline synthesizer with the desktop's soundfont, already sent what the
// view sends at start-up (General MIDI on, piano).
class SynthTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kSoundFont)) {
      GTEST_SKIP() << kSoundFont << " is not installed (Debian timgm6mb-soundfont)";
    }
    m_synth.emplace(FluidSynthOptions{kSoundFont, false, kRate});
    ASSERT_TRUE(m_synth->HasSynth());
    m_synth->SendLong(kGeneralMidiOn);
    m_synth->SendShort(0xC0, 0, 0);
  }

  // The left channel of the next `seconds` of sound.
  std::vector<float> Render(double seconds) {
    const int frames = static_cast<int>(seconds * kRate);
    std::vector<float> left(frames), right(frames);
    m_synth->Render(left.data(), right.data(), frames);
    return left;
  }

  FluidSynthMidiOut& Synth() { return *m_synth; }

 private:
  std::optional<FluidSynthMidiOut> m_synth;
};

double Rms(const std::vector<float>& x, size_t from, size_t count) {
  double sum = 0.0;
  for (size_t i = from; i < from + count; ++i) sum += double(x[i]) * x[i];
  return std::sqrt(sum / double(count));
}

// Magnitude of the Hann-windowed block at `hz` (a single DFT term).
double Magnitude(const std::vector<float>& x, size_t from, size_t count, double hz) {
  double re = 0.0, im = 0.0;
  for (size_t i = 0; i < count; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(count));
    const double phase = 2.0 * std::numbers::pi * hz * double(i) / kRate;
    re += w * x[from + i] * std::cos(phase);
    im -= w * x[from + i] * std::sin(phase);
  }
  return std::hypot(re, im);
}

// The lowest semitone (MIDI number, A4 = 440 Hz) carrying at least a tenth of
// the strongest semitone's magnitude: the fundamental, so that a note an
// octave off cannot pass for the right one through a harmonic. A 16384-point
// Hann window (2.7 Hz bins) keeps neighbouring semitones apart from A2 up.
int LowestPartialNote(const std::vector<float>& x, size_t from) {
  constexpr size_t kBlock = 16384;
  std::vector<double> magnitudes;
  for (int note = 36; note <= 100; ++note) {
    magnitudes.push_back(Magnitude(x, from, kBlock, 440.0 * std::pow(2.0, (note - 69) / 12.0)));
  }
  double strongest = 0.0;
  for (double m : magnitudes) strongest = std::max(strongest, m);
  for (size_t i = 0; i < magnitudes.size(); ++i) {
    if (magnitudes[i] >= 0.1 * strongest) return 36 + static_cast<int>(i);
  }
  return 0;
}

// Passes every message on to the synthesizer and tells when the first note
// on has gone out: the click's note thread sends it at a moment of its own.
class NoteOnWatch : public MidiOut {
 public:
  explicit NoteOnWatch(MidiOut& port) : m_port(port) {}
  void SendLong(const std::vector<uint8_t>& message) override { m_port.SendLong(message); }
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    m_port.SendShort(status, data1, data2);
    if ((status & 0xF0) == 0x90 && data2 != 0 && !m_sent.exchange(true)) m_noteOn.set_value();
  }
  void Reset() override { m_port.Reset(); }
  void Close() override { m_port.Close(); }
  void WaitForNoteOn() { m_noteOn.get_future().wait(); }

 private:
  MidiOut& m_port;
  std::atomic<bool> m_sent{false};
  std::promise<void> m_noteOn;
};

// Two clicks an octave apart, on the C0 ... B9 picture of a 600-pixel window
// scrolled down by 100: rows 62 and 74 from the top hold A4 and A3. The note
// comes from the click's own thread while this one renders.
TEST_F(SynthTest, ClickedRowSoundsAtItsPitch) {
  struct Click {
    int32_t y;
    int expectedNote;  // 440 Hz and 220 Hz
  };
  for (const Click& click : {Click{412, 69}, Click{508, 57}}) {
    SCOPED_TRACE(click.y);
    // Before the note on only FluidSynth's floor (about 1e-8) is there.
    EXPECT_LT(Rms(Render(0.05), 0, 2205), 1e-6) << "sound before the note on";
    NoteOnWatch watch(Synth());
    {
      MidiNoteOutput output(&watch);
      output.SetNoteDuration(std::chrono::hours(1));  // ends when `output` goes
      output.SendStartup(0);
      ASSERT_TRUE(output.StartNote(MidiNoteAtRow(click.y, 600, 100, 12, 120)));
      watch.WaitForNoteOn();
      const std::vector<float> sound = Render(0.5);
      EXPECT_GT(Rms(sound, 4096, 16384), 1e-3);
      EXPECT_EQ(LowestPartialNote(sound, 4096), click.expectedNote);
    }
    Render(2.0);  // the release dies away before the next click
  }
}

// What ends a sounding note: the view's note off, a plain note off, the
// shutdown's reset. Each leaves less than a hundredth of the note's level.
TEST_F(SynthTest, NoteOffAndResetEndTheNote) {
  struct Ending {
    const char* what;
    void (*send)(FluidSynthMidiOut&);
  };
  const Ending endings[] = {
      {"note on, velocity 0", [](FluidSynthMidiOut& s) { s.SendShort(0x90, 60, 0); }},
      {"note off", [](FluidSynthMidiOut& s) { s.SendShort(0x80, 60, 0x40); }},
      {"reset", [](FluidSynthMidiOut& s) { s.Reset(); }},
  };
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.what);
    Synth().SendShort(0x90, 60, 0x7F);
    const double level = Rms(Render(0.5), 4410, 17640);
    ASSERT_GT(level, 1e-3);
    ending.send(Synth());
    const std::vector<float> after = Render(2.0);
    EXPECT_LT(Rms(after, after.size() - 4410, 4410), 0.01 * level);
  }
}

TEST_F(SynthTest, ClosedPortIsSilent) {
  Synth().SendShort(0x90, 60, 0x7F);
  Synth().Close();
  EXPECT_FALSE(Synth().HasSynth());
  Synth().SendShort(0x90, 64, 0x7F);
  Synth().Reset();
  EXPECT_EQ(Rms(Render(0.1), 0, 4410), 0.0);
}

// No soundfont, or no audio server to play through: the port takes every
// message, sounds nothing and prints nothing.
TEST(FluidSynthPortTest, MissingPiecesLeaveASilentPort) {
  const char* oldServer = std::getenv("PULSE_SERVER");
  const std::string savedServer = oldServer ? oldServer : "";
  // A server address that cannot exist stands for a session without audio.
  setenv("PULSE_SERVER", "unix:/nonexistent/velmio-no-audio-server", 1);
  struct Case {
    const char* what;
    FluidSynthOptions options;
    bool synth;
  };
  const Case cases[] = {
      {"no soundfont", {"", false, kRate}, false},
      {"unreadable soundfont", {"/nonexistent/GM.sf2", false, kRate}, false},
      {"no audio server", {FindGeneralMidiSoundFont(), true, kRate}, true},
  };
  for (const Case& c : cases) {
    if (c.synth && c.options.soundFontPath.empty()) continue;  // no soundfont installed
    SCOPED_TRACE(c.what);
    testing::internal::CaptureStderr();
    {
      FluidSynthMidiOut port(c.options);
      EXPECT_EQ(port.HasSynth(), c.synth);
      EXPECT_FALSE(port.HasAudioDriver());
      port.SendLong(kGeneralMidiOn);
      port.SendShort(0xC0, 5, 0);
      port.SendShort(0x90, 60, 0x7F);
      port.Reset();
      port.Close();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
  if (oldServer) {
    setenv("PULSE_SERVER", savedServer.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}

}  // namespace
}  // namespace velmio::test
