#pragma once
// Where the program finds its own files and keeps the ones it writes. A copy
// in a writable folder keeps its settings and temporary file beside the
// executable, like a portable install; an installed copy keeps them in the
// user's configuration and cache folders. VELMIO_HOME overrides both, so that
// tests and scripted runs stay away from the user's own files.
#include <string>

namespace velmio {

inline constexpr char kTempWaveName[] = "temp.wav";
inline constexpr char kHelpPage[] = "help/velmio1.html";

// Every directory ends in '/'.
struct Locations {
  std::string programDir;   // the running executable's directory
  std::string settingsDir;  // holds velmio.ini
  std::string tempDir;      // holds temp.wav, the decoder's output
  std::string iniPath;      // settingsDir + "velmio.ini"
  std::string tempWavPath;  // tempDir + "temp.wav"
  std::string helpPath;     // programDir + "help/velmio1.html"
};

// The directory of the running executable, from /proc/self/exe; when that
// cannot be read, from `argv0` (looked up in PATH when it has no slash), and
// failing that the current directory. Any thread.
std::string FindProgramDirectory(const char* argv0);

// The directory of the program that `argv0` names, following symbolic links:
// the fallback of FindProgramDirectory where /proc is not mounted. Any thread.
std::string ProgramDirectoryFromArgv0(const char* argv0);

// Chooses the directories for a program living in `programDir`: $VELMIO_HOME
// when set, else `programDir` when it is writable, else
// $XDG_CONFIG_HOME/velmio/ and $XDG_CACHE_HOME/velmio/ (~/.config and ~/.cache
// when those are unset, empty or relative). Creates the chosen directories
// when missing; if that fails the paths are returned anyway, and reading and
// writing there fail the way a missing file does. Reads the environment, so
// call it at start-up before other threads run.
Locations ChooseLocations(const std::string& programDir);

// FindProgramDirectory and ChooseLocations in one, for main().
Locations FindLocations(const char* argv0);

}  // namespace velmio
