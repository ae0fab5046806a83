#pragma once
// Where the program's own files are.
#include <string>

namespace velmio {

// Every directory ends in '/'. Empty paths mean "none" (batch runs keep no
// settings file and no temporary file).
struct ProgramPaths {
  std::string exeDir;
  std::string iniPath;
  std::string helpPath;
  std::string tempWavPath;
};

}  // namespace velmio
