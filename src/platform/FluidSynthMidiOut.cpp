#include "platform/FluidSynthMidiOut.h"

#include <fluidsynth.h>

#include <algorithm>
#include <filesystem>

namespace velmio {
namespace {

constexpr const char* kSoundFontCandidates[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// An absent MIDI device is silent, not an error: FluidSynth's own messages
// (no audio server, memory locking refused) would otherwise go to stderr.
void SilenceFluidSynthLog() {
  for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
    fluid_set_log_function(level, nullptr, nullptr);
  }
}

bool IsDataByte(uint8_t value) {
  return value <= 0x7F;
}

}  // namespace

FluidSynthMidiOut::FluidSynthMidiOut(const FluidSynthOptions& options) {
  SilenceFluidSynthLog();
  m_settings = new_fluid_settings();
  if (m_settings == nullptr) return;
  fluid_settings_setnum(m_settings, "synth.sample-rate", options.sampleRate);
  // Locking the soundfont's pages needs privileges a desktop user lacks.
  fluid_settings_setint(m_settings, "synth.lock-memory", 0);
  // FluidSynth's default 0.2 leaves a lone piano note near -30 dBFS, hard to
  // hear over a recording; a click sounds one note at a time, so 0.8 cannot clip.
  fluid_settings_setnum(m_settings, "synth.gain", 0.8);
  fluid_settings_setstr(m_settings, "audio.driver", "pulseaudio");
  m_synth = new_fluid_synth(m_settings);
  if (m_synth == nullptr) return;
  if (options.soundFontPath.empty() ||
      fluid_synth_sfload(m_synth, options.soundFontPath.c_str(), 1) == FLUID_FAILED) {
    Close();
    return;
  }
  // The PulseAudio client also reaches PipeWire through pipewire-pulse.
  if (options.withAudioDriver) m_driver = new_fluid_audio_driver(m_settings, m_synth);
}

FluidSynthMidiOut::~FluidSynthMidiOut() {
  Close();
}

void FluidSynthMidiOut::SendLong(const std::vector<uint8_t>& message) {
  if (message.size() < 2 || message.front() != 0xF0 || message.back() != 0xF7) return;
  if (!std::all_of(message.begin() + 1, message.end() - 1, IsDataByte)) return;
  // FluidSynth takes the bytes between F0 and F7.
  const auto* body = reinterpret_cast<const char*>(message.data() + 1);
  const int length = static_cast<int>(message.size()) - 2;
  std::lock_guard lock(m_mutex);
  if (m_synth != nullptr) fluid_synth_sysex(m_synth, body, length, nullptr, nullptr, nullptr, 0);
}

void FluidSynthMidiOut::SendShort(uint8_t status, uint8_t data1, uint8_t data2) {
  if (!IsDataByte(data1) || !IsDataByte(data2)) return;
  const int channel = status & 0x0F;
  std::lock_guard lock(m_mutex);
  if (m_synth == nullptr) return;
  switch (status & 0xF0) {
    case 0x80:
      fluid_synth_noteoff(m_synth, channel, data1);
      break;
    case 0x90:  // velocity 0 is a note off
      fluid_synth_noteon(m_synth, channel, data1, data2);
      break;
    case 0xB0:
      fluid_synth_cc(m_synth, channel, data1, data2);
      break;
    case 0xC0:
      fluid_synth_program_change(m_synth, channel, data1);
      break;
    case 0xE0:
      fluid_synth_pitch_bend(m_synth, channel, data1 | (data2 << 7));
      break;
    default:
      break;
  }
}

void FluidSynthMidiOut::Reset() {
  std::lock_guard lock(m_mutex);
  if (m_synth != nullptr) fluid_synth_all_notes_off(m_synth, -1);
}

void FluidSynthMidiOut::Close() {
  std::lock_guard lock(m_mutex);
  // The driver's thread renders from the synthesizer: it goes first.
  if (m_driver != nullptr) delete_fluid_audio_driver(m_driver);
  if (m_synth != nullptr) delete_fluid_synth(m_synth);
  if (m_settings != nullptr) delete_fluid_settings(m_settings);
  m_driver = nullptr;
  m_synth = nullptr;
  m_settings = nullptr;
}

bool FluidSynthMidiOut::HasSynth() const {
  std::lock_guard lock(m_mutex);
  return m_synth != nullptr;
}

bool FluidSynthMidiOut::HasAudioDriver() const {
  std::lock_guard lock(m_mutex);
  return m_driver != nullptr;
}

void FluidSynthMidiOut::Render(float* left, float* right, int frames) {
  std::lock_guard lock(m_mutex);
  if (m_synth == nullptr || m_driver != nullptr) {
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    return;
  }
  fluid_synth_write_float(m_synth, frames, left, 0, 1, right, 0, 1);
}

std::string FindGeneralMidiSoundFont() {
  std::error_code error;
  for (const char* path : kSoundFontCandidates) {
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return {};
}

std::unique_ptr<MidiOut> CreateDesktopMidiOut() {
  FluidSynthOptions options;
  options.soundFontPath = FindGeneralMidiSoundFont();
  return std::make_unique<FluidSynthMidiOut>(options);
}

}  // namespace velmio
