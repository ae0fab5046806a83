#pragma once
#include <string>
#include <vector>

namespace velmio::cli {

// velmio-cli tempo: opens and analyses a recording through the view, sets the
// display levels, and prints the tempo dialog's proposal as one line in the
// form of the analysis conditions report. Returns the exit status (0 done, 1
// refused input, 2 bad arguments). Needs a QGuiApplication.
int RunTempoCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
