#pragma once
// What the velmio-cli tests share: WAV files built in memory, a temporary
// folder per test, and running the tool with its output captured.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace velmio {

namespace fs = std::filesystem;

struct Wav {
  int rate = 44100, channels = 1, bits = 16;
  std::vector<int32_t> samples;  // interleaved, in the file's own bit depth
};

inline void Put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::string WavBytes(const Wav& w) {
  const int bytesPerSample = w.bits / 8;
  std::string data;
  for (int32_t s : w.samples) Put(data, static_cast<uint32_t>(s), bytesPerSample);
  std::string out = "RIFF";
  Put(out, 36 + static_cast<uint32_t>(data.size()), 4);
  out += "WAVEfmt ";
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, w.channels, 2);
  Put(out, w.rate, 4);
  Put(out, w.rate * w.channels * bytesPerSample, 4);
  Put(out, w.channels * bytesPerSample, 2);
  Put(out, w.bits, 2);
  out += "data";
  Put(out, static_cast<uint32_t>(data.size()), 4);
  return out + data;
}

// A chord with a sliding melody and a little noise, full scale about -8 dB.
inline Wav MakeMusic(int rate, int channels, int bits, double seconds) {
  Wav w{rate, channels, bits, {}};
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0.0, 30.0);
  const double scale = bits == 24 ? 256.0 : 1.0;
  const int frames = static_cast<int>(rate * seconds);
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double chord = 4000 * (std::sin(2 * M_PI * 130.81 * t) + std::sin(2 * M_PI * 164.81 * t) +
                                 std::sin(2 * M_PI * 196.0 * t));
    const double melody = 6000 * std::sin(2 * M_PI * (880 + 200 * t) * t);
    for (int c = 0; c < channels; ++c) {
      const double v = (c == 0 ? chord + melody : chord - 0.5 * melody) + noise(random);
      w.samples.push_back(static_cast<int32_t>(std::lround(v * scale)));
    }
  }
  return w;
}

// The mono signal the analysis sees: 24-bit samples truncated to 16 bits, then (L + R) / 2.
inline std::vector<double> MonoOf(const Wav& w) {
  std::vector<double> mono;
  for (std::size_t i = 0; i < w.samples.size(); i += w.channels) {
    int32_t sum = 0;
    for (int c = 0; c < w.channels; ++c) {
      const int32_t s = w.samples[i + c];
      sum += w.bits == 24 ? s / 256 : s;
    }
    mono.push_back(w.channels == 2 ? sum / 2 : sum);
  }
  return mono;
}

struct CliRun {
  int status = -1;
  std::string out, err;
};

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("velmio-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  CliRun Run(const std::string& args) {
    const std::string out = (dir_ / "stdout.txt").string(), err = (dir_ / "stderr.txt").string();
    const std::string command =
        std::string(VELMIO_BIN_DIR) + "/velmio-cli " + args + " >" + out + " 2>" + err;
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadAll(out);
    run.err = ReadAll(err);
    return run;
  }

  static std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

}  // namespace velmio
