#include "engine/AnalysisFootprint.h"

#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <string>

namespace velmio {
namespace {

constexpr uint64_t kUnlimited = std::numeric_limits<uint64_t>::max();

// Bytes per frame and per padded sample of an analysis with `rowCount` rows:
// four-byte levels and a one-byte formant mask per cell, the frame energy,
// and per sample the mono signal plus its decimated copies (half, quarter,
// ... of it: less than one more signal).
uint64_t BytesPerFrame(int rowCount) {
  return static_cast<uint64_t>(rowCount) * (sizeof(float) + 1) + sizeof(float);
}
constexpr uint64_t kBytesPerSample = 2 * sizeof(float);

// The value of a "Key:   value kB" line of a /proc file, in bytes.
uint64_t ReadKilobytesField(const char* path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    const std::size_t digits = line.find_first_of("0123456789", key.size());
    uint64_t value = 0;
    if (digits == std::string::npos ||
        std::from_chars(line.data() + digits, line.data() + line.size(), value).ec != std::errc())
      return kUnlimited;
    return value * 1024;
  }
  return kUnlimited;
}

uint64_t ReadNumber(const std::string& path) {
  std::ifstream in(path);
  std::string text;
  uint64_t value = 0;
  if (!(in >> text)) return kUnlimited;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : kUnlimited;  // "max"
}

// What a resource limit leaves beside the memory already mapped.
uint64_t LimitLeft(int resource, uint64_t used) {
  rlimit limit{};
  if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
  const auto cap = static_cast<uint64_t>(limit.rlim_cur);
  return cap > used ? cap - used : 0;
}

// The process's mapped memory (VmSize) and its data segment (VmData).
void ReadProcessSizes(uint64_t& vmSize, uint64_t& vmData) {
  vmSize = ReadKilobytesField("/proc/self/status", "VmSize:");
  vmData = ReadKilobytesField("/proc/self/status", "VmData:");
  if (vmSize == kUnlimited) vmSize = 0;
  if (vmData == kUnlimited) vmData = 0;
}

// The memory limit of the process's control group (version 2), less its use.
uint64_t ControlGroupLeft() {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("0::", 0) != 0) continue;
    const std::string dir = "/sys/fs/cgroup" + line.substr(3);
    const uint64_t max = ReadNumber(dir + "/memory.max");
    if (max == kUnlimited) return kUnlimited;
    const uint64_t current = ReadNumber(dir + "/memory.current");
    return current != kUnlimited && max > current ? max - current : 0;
  }
  return kUnlimited;
}

}  // namespace

AnalysisFootprint FootprintOf(const FrameGeometry& g) {
  AnalysisFootprint f;
  f.cells = int64_t{g.rowCount} * g.frameCount;
  f.bytes = BytesPerFrame(g.rowCount) * static_cast<uint64_t>(g.frameCount) +
            kBytesPerSample * static_cast<uint64_t>(g.paddedLength);
  return f;
}

AnalysisFit CheckAnalysisFit(const FrameGeometry& g, uint64_t availableBytes) {
  const AnalysisFootprint f = FootprintOf(g);
  if (f.cells > kMaxLevelCells) return AnalysisFit::kTooManyCells;
  if (f.bytes > availableBytes) return AnalysisFit::kTooLittleMemory;
  return AnalysisFit::kFits;
}

int64_t LongestAnalysableFrames(int hop, int rowCount, uint64_t availableBytes) {
  if (hop <= 0 || rowCount <= 0) return 0;
  // Whole frames of four, as the geometry rounds them.
  const int64_t byCells = kMaxLevelCells / rowCount / 4 * 4;
  const uint64_t perFrame = BytesPerFrame(rowCount) + kBytesPerSample * static_cast<uint64_t>(hop);
  const auto byMemory = static_cast<int64_t>(
      std::min<uint64_t>(availableBytes / perFrame, std::numeric_limits<int32_t>::max()));
  return std::max<int64_t>(std::min(byCells, byMemory) - 4, 0) * hop;
}

uint64_t AvailableMemoryBytes() {
  uint64_t vmSize = 0, vmData = 0;
  ReadProcessSizes(vmSize, vmData);
  uint64_t left = ReadKilobytesField("/proc/meminfo", "MemAvailable:");
  left = std::min(left, LimitLeft(RLIMIT_AS, vmSize));
  left = std::min(left, LimitLeft(RLIMIT_DATA, vmData));
  return std::min(left, ControlGroupLeft());
}

}  // namespace velmio
