#include "FuzzEntryPoints.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "audio/PcmLoading.h"
#include "persist/AnalysisFile.h"
#include "persist/SettingsFile.h"

namespace velmio::fuzz {
namespace {

// A file in memory that the readers open by path, as they open a real one.
class MemoryFile {
 public:
  MemoryFile() : m_fd(memfd_create("velmio-fuzz", MFD_CLOEXEC)) {
    if (m_fd < 0) std::abort();
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
  }
  const std::string& Holding(const uint8_t* data, std::size_t size) {
    if (ftruncate(m_fd, 0) != 0 ||
        (size > 0 && pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size)))
      std::abort();
    return m_path;
  }

 private:
  int m_fd;
  std::string m_path;
};

// A folder for the settings writer, which needs one to replace its file in.
const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    char name[] = "/tmp/velmio-fuzz-XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    return std::filesystem::path(name);
  }();
  return folder;
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

void ReadWav(const uint8_t* data, std::size_t size) {
  static MemoryFile file;
  WaveData wave([](const std::string&) {});
  if (wave.m_wave.OpenRead(file.Holding(data, size)) != 0) {
    wave.m_wave.Close();
    return;
  }
  if (LoadPcm(wave, {})) MixPcmToMono(wave);
  wave.m_wave.Close();
}

void ReadSettingsRoundTrip(const uint8_t* data, std::size_t size) {
  static MemoryFile file;
  AnalysisSettings first;
  if (!ReadSettingsFile(file.Holding(data, size), first)) return;
  const std::string path = (ScratchFolder() / "velmio.ini").string();
  if (!WriteSettingsFile(path, first, {})) std::abort();
  const std::string written = Slurp(path);
  AnalysisSettings second;
  if (!ReadSettingsFile(path, second) || !WriteSettingsFile(path, second, {})) std::abort();
  // Every value that was taken survives a write and a read unchanged.
  if (Slurp(path) != written) {
    std::fprintf(stderr, "settings changed on their way through the file:\n%s", written.c_str());
    std::abort();
  }
}

void ReadAnalysisFile(const uint8_t* data, std::size_t size) {
  LoadedAnalysis analysis;
  ParseAnalysisFile(std::span<const uint8_t>(data, size), analysis);
}

}  // namespace velmio::fuzz
