#pragma once
// The view's side of the MIDI output: the start-up messages, the instrument,
// the half-second note of a click on its own thread, and the shutdown. Every
// message goes out on channel 1.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "view/MidiOut.h"

namespace velmio {

// Channel-1 status bytes and the velocity of a click's note.
constexpr uint8_t kMidiNoteOn = 0x90;
constexpr uint8_t kMidiProgramChange = 0xC0;
constexpr uint8_t kMidiVelocityFull = 0x7F;

// The MIDI note (C0 = 12) drawn in the pixel row at client y, or 0 where the
// click sounds nothing: the time ruler, below the lowest semitone row, and the
// top rows whose numbers would pass 127. Those rows (G#9 ... B9, shown when the
// range reaches C10) are suppressed rather than clamped: clamping would sound
// G9 for four different rows, a wrong pitch to compare a recording with.
int32_t MidiNoteAtRow(int32_t y, int32_t clientHeight, int32_t scrollY, int32_t lowNote,
                      int32_t highNote);

// A program number kept to the data-byte range 0 ... 127.
int32_t ClampMidiProgram(int32_t program);

class MidiNoteOutput {
 public:
  static constexpr std::chrono::milliseconds kNoteDuration{500};

  // `out` may be null: then nothing is sent and no click sounds.
  explicit MidiNoteOutput(MidiOut* out) : m_out(out) {}
  // Cuts a sounding note short and waits for its thread: the output must
  // outlive every message the thread sends.
  ~MidiNoteOutput();
  MidiNoteOutput(const MidiNoteOutput&) = delete;
  MidiNoteOutput& operator=(const MidiNoteOutput&) = delete;

  // UI thread, at start-up: General MIDI on (F0 7E 7F 09 01 F7), then the program.
  void SendStartup(int32_t program);
  // UI thread: program change C0 pp, pp kept in 0 ... 127.
  void SendProgramChange(int32_t program);
  // UI thread: sounds `note` for the note duration on a thread of its own.
  // Refused (false) while a note sounds, for note 0 and without an output.
  bool StartNote(int32_t note);
  // UI thread: waits until the sounding note has ended on its own.
  void WaitForNote();
  // UI thread, at shutdown: ends a sounding note at once (its note off still
  // goes out), then resets and closes the output. Later calls send nothing.
  void Shutdown();

  // True while a click's note sounds. Any thread.
  bool IsSounding() const { return m_midiNote.load() != 0; }
  // The note sounding from a click, 0 when none. Any thread.
  int32_t SoundingNote() const { return m_midiNote.load(); }

  // Tests shorten or lengthen the note; UI thread, while no note sounds.
  void SetNoteDuration(std::chrono::milliseconds duration) { m_noteDuration = duration; }

 private:
  // The note thread: note on, the duration (or less when cut short), note off.
  void PlayNote(int32_t note, std::chrono::milliseconds duration);
  void StopNote();

  MidiOut* m_out;
  // The note sounding from a click, 0 when none. Set by the UI thread before
  // the note thread starts, cleared by that thread when its note off is out.
  std::atomic<int> m_midiNote{0};
  std::chrono::milliseconds m_noteDuration{kNoteDuration};
  std::thread m_noteThread;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_cutShort = false;  // guarded by m_mutex
};

}  // namespace velmio
