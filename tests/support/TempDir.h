#pragma once
// A fresh directory for one test, removed with everything in it when the
// object goes (also after a test made parts of it read-only).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace velmio::test {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "velmio-test") {
    std::random_device seed;
    m_path = std::filesystem::temp_directory_path() /
             (prefix + "-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The path of `name` inside the directory.
  std::string operator/(const std::string& name) const { return (m_path / name).string(); }
  // The directory (or one below it) as a text ending in '/'.
  std::string Dir(const std::string& below = "") const {
    std::string text = (below.empty() ? m_path : m_path / below).string();
    return text.back() == '/' ? text : text + '/';
  }

  // Writes `bytes` to `name` in the directory; returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string path = *this / name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Names of everything in the directory, sorted, to spot left-over files.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace velmio::test
