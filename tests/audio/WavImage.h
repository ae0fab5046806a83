#pragma once
// Helpers of the WAV tests: RIFF images assembled from chunks in the test
// itself (written independently of the code under test, so that a layout
// mistake there is not mirrored here), a private directory per test and a
// recorder for reported messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "audio/Report.h"
#include "support/TempDir.h"

namespace velmio::test {

namespace fs = std::filesystem;

inline std::string Le16(uint16_t value) {
  return {static_cast<char>(value & 0xff), static_cast<char>(value >> 8)};
}

inline std::string Le32(uint32_t value) {
  return Le16(value & 0xffff) + Le16(value >> 16);
}

// A chunk whose header states `size`, whatever the body really holds; no pad.
inline std::string RawChunk(std::string_view id, uint32_t size, std::string_view body) {
  return std::string(id) + Le32(size) + std::string(body);
}

// A well-formed chunk: true size, and the pad byte when the size is odd.
inline std::string Chunk(std::string_view id, std::string_view body) {
  std::string chunk = RawChunk(id, static_cast<uint32_t>(body.size()), body);
  if (body.size() % 2 != 0) chunk += '\0';
  return chunk;
}

// A RIFF form around `chunks` with its true size.
inline std::string Riff(std::string_view chunks, std::string_view form = "WAVE") {
  return RawChunk("RIFF", static_cast<uint32_t>(4 + chunks.size()),
                  std::string(form) + std::string(chunks));
}

struct FmtFields {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 44100;
  uint32_t byteRate = 88200;
  uint16_t blockAlign = 2;
  uint16_t bits = 16;
};

// The 16-byte PCM record of a "fmt " chunk body.
inline std::string FmtBody(const FmtFields& f) {
  return Le16(f.tag) + Le16(f.channels) + Le32(f.rate) + Le32(f.byteRate) + Le16(f.blockAlign) +
         Le16(f.bits);
}

// Consistent fields for plain PCM.
inline FmtFields Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  const auto align = static_cast<uint16_t>(channels * bits / 8);
  return {1, channels, rate, rate * align, align, bits};
}

inline std::string Samples16(std::initializer_list<int16_t> values) {
  std::string bytes;
  for (int16_t v : values) bytes += Le16(static_cast<uint16_t>(v));
  return bytes;
}

// 24-bit samples, each given as the value of its three bytes.
inline std::string Samples24(std::initializer_list<int32_t> values) {
  std::string bytes;
  for (int32_t v : values) bytes += Le32(static_cast<uint32_t>(v)).substr(0, 3);
  return bytes;
}

// The simplest valid file: "fmt " then "data".
inline std::string WavImage(const FmtFields& f, std::string_view data) {
  return Riff(Chunk("fmt ", FmtBody(f)) + Chunk("data", data));
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Collects every reported message in order.
struct Messages {
  std::vector<std::string> list;
  ReportFn Fn() {
    return [this](const std::string& message) { list.push_back(message); };
  }
};

// The folder of the public WAV header cases, or "" when it is absent.
inline std::string SharedWavFolder() {
  const fs::path folder = fs::path(VELMIO_SHARED_FIXTURES) / "wav";
  std::error_code ec;
  return fs::is_directory(folder, ec) ? folder.string() : std::string();
}

}  // namespace velmio::test
