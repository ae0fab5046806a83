#pragma once
// velmio-cli stretch: what playback sounds like at a speed and transposition,
// written as a WAV file.
#include <optional>
#include <string>
#include <vector>

#include "audio/Stretcher.h"

namespace velmio::cli {

struct StretchOptions {
  std::string input;
  std::string output;
  StretchSettings settings;
};

// Parses "INPUT -o OUTPUT.wav --speed S [--transpose SEMITONES] [--cents C]".
// S is a percentage (25 ... 200, "%" allowed) or a factor (0.25 ... 2).
// On a mistake returns nothing and sets `error`.
std::optional<StretchOptions> ParseStretchOptions(const std::vector<std::string>& args,
                                                  std::string& error);

// Opens INPUT as the window would, plays it from the start to its end at the
// settings with the equalizer off into a silent output, and writes what was
// played. 0 on success, 1 when a file fails, 2 for bad arguments.
int RunStretchCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
