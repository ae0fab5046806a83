#pragma once
// velmio-cli convert: the single-voice conversion of a WAV file.
#include <string>
#include <vector>

namespace velmio::cli {

extern const char kConvertUsage[];

// "IN.wav -o OUT.wav [--pitch-range LOW-HIGH] --pitch SEMITONES --formant
// SEMITONES": 0 when written, 1 after a reported failure, 2 (with the usage
// on stderr) for options out of range.
int RunConvertCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
