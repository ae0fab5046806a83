#pragma once
#include <string>
#include <vector>

namespace velmio::cli {

// velmio-cli analyse: reads a recording, analyses it and writes the analysis
// data file. Returns the process exit status (0 done, 1 refused input or a
// failed write, 2 bad arguments).
int RunAnalyseCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
