#pragma once
// The port to the MIDI synthesizer that sounds a clicked note.
#include <cstdint>
#include <vector>

namespace velmio {

class MidiOut {
 public:
  virtual ~MidiOut() = default;
  // System-exclusive message, F0 ... F7.
  virtual void SendLong(const std::vector<uint8_t>& message) = 0;
  // Status byte and up to two data bytes.
  virtual void SendShort(uint8_t status, uint8_t data1, uint8_t data2) = 0;
  virtual void Reset() = 0;
  virtual void Close() = 0;
};

}  // namespace velmio
