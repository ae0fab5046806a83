#include "view/MidiNoteOutput.h"

#include <algorithm>
#include <vector>

#include "view/ViewGeometry.h"

namespace velmio {
namespace {

const std::vector<uint8_t> kGeneralMidiOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr int32_t kHighestMidiNote = 127;

}  // namespace

int32_t MidiNoteAtRow(int32_t y, int32_t clientHeight, int32_t scrollY, int32_t lowNote,
                      int32_t highNote) {
  const int32_t semitones = highNote - lowNote;
  const int32_t limit = std::min(clientHeight, semitones * kRowsPerSemitone + kRulerHeight);
  if (y < kRulerHeight || y >= limit) return 0;
  const int32_t row = (scrollY + y - kRulerHeight) / kRowsPerSemitone;
  // A scroll position left over from a taller picture must not reach below
  // the lowest row (and on to negative note numbers).
  if (row < 0 || row >= semitones) return 0;
  const int32_t note = highNote - row + 11;
  return note <= kHighestMidiNote ? note : 0;
}

int32_t ClampMidiProgram(int32_t program) {
  return std::clamp(program, 0, 127);
}

MidiNoteOutput::~MidiNoteOutput() {
  StopNote();
}

void MidiNoteOutput::SendStartup(int32_t program) {
  if (m_out == nullptr) return;
  m_out->SendLong(kGeneralMidiOn);
  SendProgramChange(program);
}

void MidiNoteOutput::SendProgramChange(int32_t program) {
  if (m_out == nullptr) return;
  m_out->SendShort(kMidiProgramChange, static_cast<uint8_t>(ClampMidiProgram(program)), 0);
}

bool MidiNoteOutput::StartNote(int32_t note) {
  if (m_out == nullptr || note <= 0 || note > 127 || m_midiNote.load() != 0) return false;
  // The previous note's thread has cleared m_midiNote as its last step; joining
  // it here only waits for it to return.
  if (m_noteThread.joinable()) m_noteThread.join();
  {
    std::lock_guard lock(m_mutex);
    m_cutShort = false;
  }
  m_midiNote.store(note);
  m_noteThread = std::thread([this, note, duration = m_noteDuration] { PlayNote(note, duration); });
  return true;
}

void MidiNoteOutput::PlayNote(int32_t note, std::chrono::milliseconds duration) {
  const auto key = static_cast<uint8_t>(note);
  m_out->SendShort(kMidiNoteOn, key, kMidiVelocityFull);
  {
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, duration, [this] { return m_cutShort; });
  }
  m_out->SendShort(kMidiNoteOn, key, 0);
  m_midiNote.store(0);
}

void MidiNoteOutput::WaitForNote() {
  if (m_noteThread.joinable()) m_noteThread.join();
}

void MidiNoteOutput::StopNote() {
  {
    std::lock_guard lock(m_mutex);
    m_cutShort = true;
  }
  m_wake.notify_all();
  WaitForNote();
}

void MidiNoteOutput::Shutdown() {
  StopNote();
  if (m_out == nullptr) return;
  m_out->Reset();
  m_out->Close();
  m_out = nullptr;
}

}  // namespace velmio
