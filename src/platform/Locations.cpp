#include "platform/Locations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "persist/SettingsFile.h"

namespace velmio {
namespace {

namespace fs = std::filesystem;

std::string AsDirectory(const fs::path& dir) {
  std::string text = dir.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// The variable's value, or an empty text when it is unset or empty (which the
// XDG rules treat alike).
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The program as found through PATH, the way the shell that started it did.
fs::path SearchPath(std::string_view name) {
  std::string_view dirs = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    const std::string_view dir = dirs.substr(0, colon);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

fs::path ProgramFromArgv0(const char* argv0) {
  const std::string_view name = argv0 != nullptr ? argv0 : "";
  if (name.empty()) return {};
  if (name.find('/') != std::string_view::npos) return fs::path(name);
  return SearchPath(name);
}

fs::path HomeDirectory() {
  if (std::string home = Environment("HOME"); !home.empty()) return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return {};
}

// $name when it holds an absolute path (relative ones are invalid by the XDG
// rules), else the home directory's `fallback`. Empty when neither is known.
fs::path XdgDirectory(const char* name, const char* fallback) {
  const fs::path value = Environment(name);
  if (value.is_absolute()) return value;
  const fs::path home = HomeDirectory();
  return home.empty() ? fs::path() : home / fallback;
}

// Creates `dir` when missing. A directory made for the user's own settings is
// private to that user, as the XDG rules ask.
void EnsureDirectory(const fs::path& dir) {
  std::error_code ec;
  if (fs::create_directories(dir, ec)) fs::permissions(dir, fs::perms::owner_all, ec);
}

bool IsWritableDirectory(const fs::path& dir) {
  std::error_code ec;
  return fs::is_directory(dir, ec) && access(dir.c_str(), W_OK) == 0;
}

}  // namespace

std::string FindProgramDirectory(const char* argv0) {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (ec || program.empty()) return ProgramDirectoryFromArgv0(argv0);
  return AsDirectory(program.parent_path());
}

std::string ProgramDirectoryFromArgv0(const char* argv0) {
  std::error_code ec;
  const fs::path program = ProgramFromArgv0(argv0);
  if (program.empty()) return AsDirectory(fs::current_path(ec));
  const fs::path resolved = fs::weakly_canonical(fs::absolute(program, ec), ec);
  return AsDirectory((ec ? program : resolved).parent_path());
}

Locations ChooseLocations(const std::string& programDir) {
  Locations where;
  where.programDir = AsDirectory(programDir);
  fs::path settings = where.programDir;
  fs::path temp = where.programDir;
  if (const std::string home = Environment("VELMIO_HOME"); !home.empty()) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(home, ec);
    settings = temp = ec ? fs::path(home) : absolute;
  } else if (!IsWritableDirectory(where.programDir)) {
    const fs::path config = XdgDirectory("XDG_CONFIG_HOME", ".config");
    const fs::path cache = XdgDirectory("XDG_CACHE_HOME", ".cache");
    // Without any home directory the program folder is the only place left.
    if (!config.empty()) settings = config / "velmio";
    if (!cache.empty()) temp = cache / "velmio";
  }
  EnsureDirectory(settings);
  EnsureDirectory(temp);
  where.settingsDir = AsDirectory(settings);
  where.tempDir = AsDirectory(temp);
  where.iniPath = where.settingsDir + kSettingsFileName;
  where.tempWavPath = where.tempDir + kTempWaveName;
  where.helpPath = where.programDir + kHelpPage;
  return where;
}

Locations FindLocations(const char* argv0) {
  return ChooseLocations(FindProgramDirectory(argv0));
}

}  // namespace velmio
