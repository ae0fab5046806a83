#pragma once
// The MIDI port on FluidSynth: a General-MIDI soundfont played through the
// desktop's audio server, so that a clicked note is heard without any MIDI
// hardware. Whatever is missing (soundfont, synthesizer, audio server) makes
// the port silent; nothing is reported, as with an absent MIDI device.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "view/MidiOut.h"

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_audio_driver_t fluid_audio_driver_t;

namespace velmio {

struct FluidSynthOptions {
  std::string soundFontPath;
  // False: no audio driver; the owner pulls the sound with Render().
  bool withAudioDriver = true;
  double sampleRate = 44100.0;
};

class FluidSynthMidiOut final : public MidiOut {
 public:
  explicit FluidSynthMidiOut(const FluidSynthOptions& options);
  ~FluidSynthMidiOut() override;
  FluidSynthMidiOut(const FluidSynthMidiOut&) = delete;
  FluidSynthMidiOut& operator=(const FluidSynthMidiOut&) = delete;

  // Every call below may come from any thread: the UI thread and a click's
  // note thread both send.
  // F0 ... F7; what the synthesizer does not know it ignores.
  void SendLong(const std::vector<uint8_t>& message) override;
  // Channel messages: note off / on, control change, program change, pitch
  // bend. Others, and data bytes above 127, are dropped.
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2) override;
  // All notes off on every channel.
  void Reset() override;
  // Stops the audio and frees the synthesizer; later messages are dropped.
  void Close() override;

  // True when the soundfont loaded and messages reach a synthesizer.
  bool HasSynth() const;
  // True when the sound goes to the audio server.
  bool HasAudioDriver() const;
  // Without an audio driver: the next `frames` stereo frames of sound.
  // Silence when there is no synthesizer or a driver renders instead.
  void Render(float* left, float* right, int frames);

 private:
  mutable std::mutex m_mutex;  // FluidSynth calls from different threads
  fluid_settings_t* m_settings = nullptr;
  fluid_synth_t* m_synth = nullptr;
  fluid_audio_driver_t* m_driver = nullptr;
};

// The system's General-MIDI soundfont (TimGM6mb, else the Debian default,
// else FluidR3); empty when none is installed.
std::string FindGeneralMidiSoundFont();

// The MIDI output of the desktop program: FluidSynth with the system's
// soundfont through the audio server.
std::unique_ptr<MidiOut> CreateDesktopMidiOut();

}  // namespace velmio
