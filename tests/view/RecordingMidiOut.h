#pragma once
// A MIDI output that writes down every call as the bytes that would go out
// ("90 45 7F"), or "reset" / "close". The UI thread and a click's note thread
// both send, so the record is locked.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "view/MidiOut.h"

namespace velmio::test {

class RecordingMidiOut : public MidiOut {
 public:
  void SendLong(const std::vector<uint8_t>& message) override { Add(Hex(message)); }
  // Program change and channel pressure carry one data byte; the rest two.
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    const uint8_t kind = status & 0xF0;
    if (kind == 0xC0 || kind == 0xD0) {
      Add(Hex({status, data1}));
    } else {
      Add(Hex({status, data1, data2}));
    }
  }
  void Reset() override { Add("reset"); }
  void Close() override { Add("close"); }

  std::vector<std::string> Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
  }
  void Clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
  }

 private:
  static std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t b : bytes) {
      char digits[4];
      std::snprintf(digits, sizeof digits, "%02X", b);
      if (!text.empty()) text += ' ';
      text += digits;
    }
    return text;
  }
  void Add(std::string call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
  }

  mutable std::mutex m_mutex;
  std::vector<std::string> m_calls;
};

}  // namespace velmio::test
