#pragma once
// Helpers of the widget tests: a temporary program folder, generated WAV
// files, waiting for the event loop, and answering modal windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "audio/WaveFile.h"
#include "view/MidiOut.h"
#include "view/ProgramPaths.h"

namespace velmio::test {

// A fresh folder that disappears with the object.
class TempDir {
 public:
  TempDir() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() / ("velmio-ui-" + std::to_string(stamp));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  std::string Dir() const { return m_path.string() + "/"; }

 private:
  std::filesystem::path m_path;
};

// The program's own files all inside `dir`.
inline ProgramPaths PathsIn(const TempDir& dir) {
  return ProgramPaths{dir.Dir(), dir.File("velmio.ini"), dir.File("help/velmio1.html"),
                      dir.File("temp.wav")};
}

// A 16-bit WAV of a 440 Hz tone.
inline void WriteToneWav(const std::string& path, int channels, int sampleRate, int frames) {
  CWaveFile file;
  MakePcm16Format(file.format, channels, sampleRate);
  ASSERT_EQ(file.OpenWrite(path), 0);
  std::vector<int16_t> samples(static_cast<std::size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i) {
    const auto value =
        static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * 440.0 * i / sampleRate));
    for (int c = 0; c < channels; ++c) samples[std::size_t(i) * channels + c] = value;
  }
  file.WriteData(samples.data(), static_cast<int64_t>(samples.size() * sizeof(int16_t)));
  ASSERT_EQ(file.Close(), 0);
}

// Runs the event loop until `done` holds; false if it never does.
inline bool WaitFor(const std::function<bool()>& done, int limitMs = 60000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

// Answers the next modal window of type T (a QMessageBox, QFileDialog, ...)
// as soon as it is shown, by running `answer` on it.
template <typename T>
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<void(T*)> answer) : m_answer(std::move(answer)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
      if (modal == nullptr || !modal->isVisible()) return;
      m_timer.stop();
      m_answered = true;
      m_answer(modal);
    });
    m_timer.start(5);
  }
  bool Answered() const { return m_answered; }

 private:
  std::function<void(T*)> m_answer;
  QTimer m_timer;
  bool m_answered = false;
};

// MIDI messages as "90 45 7F" lines.
class RecordingMidi : public MidiOut {
 public:
  void SendLong(const std::vector<uint8_t>&) override {}
  void SendShort(uint8_t status, uint8_t data1, uint8_t data2) override {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", status, data1, data2);
    std::lock_guard lock(m_mutex);
    m_calls.emplace_back(text);
  }
  void Reset() override {}
  void Close() override {}
  std::vector<std::string> Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_calls;
};

}  // namespace velmio::test
