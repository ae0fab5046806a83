#pragma once
// Helpers of the analysis file tests: a private directory per test, whole-file
// reads, and a little-endian reader written independently of the writer, so
// that a layout mistake in one is not mirrored in the other.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "persist/AnalysisFile.h"
#include "support/TempDir.h"

namespace velmio::test {

namespace fs = std::filesystem;

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Reads fields of a byte image at absolute offsets; a read past the end fails the test.
class LittleEndianImage {
 public:
  explicit LittleEndianImage(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

  std::size_t Size() const { return m_bytes.size(); }
  uint32_t U32(std::size_t offset) const {
    if (offset + 4 > m_bytes.size()) {
      ADD_FAILURE() << "read of 4 bytes at " << offset << " past the end " << m_bytes.size();
      return 0;
    }
    return uint32_t{m_bytes[offset]} | uint32_t{m_bytes[offset + 1]} << 8 |
           uint32_t{m_bytes[offset + 2]} << 16 | uint32_t{m_bytes[offset + 3]} << 24;
  }
  int32_t I32(std::size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  int16_t I16(std::size_t offset) const {
    if (offset + 2 > m_bytes.size()) {
      ADD_FAILURE() << "read of 2 bytes at " << offset << " past the end " << m_bytes.size();
      return 0;
    }
    return static_cast<int16_t>(uint16_t{m_bytes[offset]} | uint16_t{m_bytes[offset + 1]} << 8);
  }
  float F32(std::size_t offset) const { return std::bit_cast<float>(U32(offset)); }
  std::string Text(std::size_t offset, std::size_t count) const {
    if (offset + count > m_bytes.size()) {
      ADD_FAILURE() << "read of " << count << " bytes at " << offset << " past the end";
      return {};
    }
    return std::string(m_bytes.begin() + offset, m_bytes.begin() + offset + count);
  }
  // True when bytes [offset, offset + count) exist and are all zero.
  bool ZeroRange(std::size_t offset, std::size_t count) const {
    if (offset + count > m_bytes.size()) return false;
    for (std::size_t i = offset; i < offset + count; ++i)
      if (m_bytes[i] != 0) return false;
    return true;
  }

 private:
  std::vector<uint8_t> m_bytes;
};

// An analysis result that owns its arrays; Contents() lends them out. Every
// value differs from its neighbours so that a shifted or swapped field shows.
struct SampleAnalysis {
  SampleAnalysis(int32_t lowNote, int32_t highNote, int32_t frames) {
    fields.lowNote = lowNote;
    fields.highNote = highNote;
    fields.frameCount = frames;
    const auto cells = static_cast<std::size_t>(8 * (highNote - lowNote)) * frames;
    for (std::size_t i = 0; i < cells; ++i) levels.push_back(-0.25f * static_cast<float>(i) + 3.0f);
    for (int32_t f = 0; f < frames; ++f) energy.push_back(1000.5f + static_cast<float>(f));
  }
  // The spans point into this object: use them while it lives.
  AnalysisFileContents Contents() const {
    AnalysisFileContents c = fields;
    c.levelDb = levels;
    c.frameEnergy = energy;
    return c;
  }

  AnalysisFileContents fields;  // everything but the arrays
  std::vector<float> levels;
  std::vector<float> energy;
};

}  // namespace velmio::test
