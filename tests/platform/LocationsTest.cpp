// Where settings and the temporary file go, for each environment a run can
// meet. Every test works in its own directory and restores the environment.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/Locations.h"
#include "support/TempDir.h"

namespace velmio::test {
namespace {

namespace fs = std::filesystem;

// Sets or clears variables for one test and puts the old values back after it.
class Environment {
 public:
  Environment() {
    for (const char* name : {"VELMIO_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "HOME", "PATH"}) {
      const char* value = std::getenv(name);
      m_saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
    }
  }
  ~Environment() {
    for (const auto& [name, value] : m_saved) Set(name.c_str(), value);
  }
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  static void Set(const char* name, const std::optional<std::string>& value) {
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

struct Case {
  const char* name;
  std::optional<std::string> velmioHome, xdgConfig, xdgCache, home;  // below the test directory
  bool programDirWritable;
  std::string settingsDir, tempDir;  // expected, below the test directory
};

std::optional<std::string> Below(const TempDir& dir, const std::optional<std::string>& path) {
  if (!path || path->empty() || path->front() != '/')
    return path;  // empty and relative as they are
  return dir.Dir(path->substr(1));
}

TEST(Locations, SettingsAndTemporaryDirectoryFollowTheEnvironment) {
  // A program directory that does not exist stands for one the user cannot
  // write to; that works even for root, who may write anywhere else.
  const std::vector<Case> cases = {
      {"VELMIO_HOME overrides a writable program directory", "/home/v", "/cfg", "/cache", "/h",
       true, "home/v/", "home/v/"},
      {"VELMIO_HOME overrides the XDG folders", "/home/v", "/cfg", "/cache", "/h", false, "home/v/",
       "home/v/"},
      {"writable program directory", std::nullopt, "/cfg", "/cache", "/h", true, "program/",
       "program/"},
      {"empty VELMIO_HOME counts as unset", "", "/cfg", "/cache", "/h", true, "program/",
       "program/"},
      {"XDG folders", std::nullopt, "/cfg", "/cache", "/h", false, "cfg/velmio/", "cache/velmio/"},
      {"XDG folders unset", std::nullopt, std::nullopt, std::nullopt, "/h", false,
       "h/.config/velmio/", "h/.cache/velmio/"},
      {"XDG folders empty", std::nullopt, "", "", "/h", false, "h/.config/velmio/",
       "h/.cache/velmio/"},
      {"XDG folders relative", std::nullopt, "cfg", "cache", "/h", false, "h/.config/velmio/",
       "h/.cache/velmio/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Environment env;
    Environment::Set("VELMIO_HOME", Below(dir, c.velmioHome));
    Environment::Set("XDG_CONFIG_HOME", Below(dir, c.xdgConfig));
    Environment::Set("XDG_CACHE_HOME", Below(dir, c.xdgCache));
    Environment::Set("HOME", Below(dir, c.home));
    if (c.programDirWritable) fs::create_directories(dir.Dir("program"));

    const Locations where = ChooseLocations(dir.Dir("program"));
    EXPECT_EQ(where.programDir, dir.Dir("program"));
    EXPECT_EQ(where.settingsDir, dir.Dir(c.settingsDir));
    EXPECT_EQ(where.tempDir, dir.Dir(c.tempDir));
    EXPECT_TRUE(fs::is_directory(where.settingsDir));  // created when missing
    EXPECT_TRUE(fs::is_directory(where.tempDir));
    EXPECT_EQ(where.iniPath, where.settingsDir + "velmio.ini");
    EXPECT_EQ(where.tempWavPath, where.tempDir + "temp.wav");
    EXPECT_EQ(where.helpPath, dir.Dir("program") + "help/velmio1.html");
  }
}

TEST(Locations, DirectoryMadeForSettingsIsPrivate) {
  TempDir dir;
  Environment env;
  Environment::Set("VELMIO_HOME", std::nullopt);
  Environment::Set("XDG_CONFIG_HOME", dir.Dir("cfg"));
  const Locations where = ChooseLocations(dir.Dir("not-there"));
  EXPECT_EQ(fs::status(where.settingsDir).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(Locations, ReadOnlyProgramDirectorySendsFilesToTheXdgFolders) {
  TempDir dir;
  Environment env;
  fs::create_directories(dir.Dir("program"));
  fs::permissions(dir.Dir("program"), fs::perms::owner_read | fs::perms::owner_exec);
  if (access(dir.Dir("program").c_str(), W_OK) == 0)
    GTEST_SKIP() << "this user can write into read-only directories";
  Environment::Set("VELMIO_HOME", std::nullopt);
  Environment::Set("XDG_CONFIG_HOME", dir.Dir("cfg"));
  Environment::Set("XDG_CACHE_HOME", dir.Dir("cache"));
  const Locations where = ChooseLocations(dir.Dir("program"));
  EXPECT_EQ(where.settingsDir, dir.Dir("cfg/velmio"));
  EXPECT_EQ(where.tempDir, dir.Dir("cache/velmio"));
}

TEST(Locations, ProgramDirectoryIsTheExecutablesOwn) {
  const std::string found = FindProgramDirectory("/somewhere/else/velmio");
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.back(), '/');
  EXPECT_TRUE(fs::equivalent(found, VELMIO_BIN_DIR));
}

// Where /proc is missing, the program is found the way the shell found it.
TEST(Locations, ProgramDirectoryFromArgv0) {
  TempDir dir;
  Environment env;
  fs::create_directories(dir.Dir("bin"));
  fs::create_directories(dir.Dir("real"));
  std::ofstream(dir.Dir("bin") + "velmio-probe") << "#!/bin/sh\n";
  fs::permissions(dir.Dir("bin") + "velmio-probe", fs::perms::owner_all);
  std::ofstream(dir.Dir("real") + "velmio") << "#!/bin/sh\n";
  fs::create_symlink(dir.Dir("real") + "velmio", dir.Dir("bin") + "link");
  Environment::Set("PATH", "/nonexistent:" + dir.Dir("bin"));
  const std::string cwd = fs::current_path().string() + "/";

  const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
      {dir.Dir("bin") + "velmio-probe", dir.Dir("bin")},
      {dir.Dir("bin") + "link", dir.Dir("real")},  // beside the program, not the link
      {"velmio-probe", dir.Dir("bin")},            // through PATH
      {"sub/velmio", cwd + "sub/"},                // relative to the current directory
      {"no-such-program-anywhere", cwd},
      {"", cwd},
      {std::nullopt, cwd},
  };
  for (const auto& [argv0, expected] : cases) {
    SCOPED_TRACE(argv0.value_or("(null)"));
    const std::string found = ProgramDirectoryFromArgv0(argv0 ? argv0->c_str() : nullptr);
    EXPECT_EQ(fs::weakly_canonical(found), fs::weakly_canonical(expected));
    EXPECT_EQ(found.back(), '/');
  }
}

}  // namespace
}  // namespace velmio::test
