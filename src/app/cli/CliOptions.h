#pragma once
// Command-line options shared by the velmio-cli verbs.
#include <optional>
#include <string>
#include <vector>

#include "engine/AnalysisSettings.h"

namespace velmio::cli {

struct AnalyseOptions {
  std::string input;
  std::string output;
  AnalysisSettings settings;
};

// Parses "INPUT -o OUTPUT [--bins N] [--window cq|trapezoid] [--a4 HZ]
// [--low NOTE] [--high NOTE]". On a mistake returns nothing and sets `error`.
std::optional<AnalyseOptions> ParseAnalyseOptions(const std::vector<std::string>& args,
                                                  std::string& error);

// "C0".."C10" to semitones above C0, or -1.
int ParseOctaveNote(const std::string& text);

}  // namespace velmio::cli
