#include "app/cli/ConvertCommand.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "audio/NoteNames.h"
#include "audio/VoiceFileConversion.h"

namespace velmio::cli {

const char kConvertUsage[] =
    "       velmio-cli convert INPUT.wav -o OUTPUT.wav [--pitch-range LOW-HIGH]\n"
    "                  --pitch SEMITONES --formant SEMITONES\n"
    "convert options: LOW, HIGH C0 ... C8 with an optional # (default G2-E5);\n"
    "                 --pitch -24 ... 24, --formant -12 ... 12, in steps of 0.5\n";

namespace {

// Semitones in steps of 0.5 within ±limit, as the slider position (× 2).
std::optional<int32_t> ParseHalfSteps(const std::string& text, int32_t limit) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  const double steps = value * 2.0;
  if (steps != std::round(steps) || std::fabs(value) > limit) return std::nullopt;
  return static_cast<int32_t>(steps);
}

bool ParseRange(const std::string& text, int32_t& low, int32_t& high) {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) return false;
  low = ParseVoiceNote(text.substr(0, dash));
  high = ParseVoiceNote(text.substr(dash + 1));
  return low >= 0 && high >= 0;
}

std::optional<VoiceFileConversion> ParseConvertOptions(const std::vector<std::string>& args,
                                                       std::string& error) {
  VoiceFileConversion request;
  std::optional<int32_t> pitch;
  std::optional<int32_t> formant;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "-o" || arg == "--pitch-range" || arg == "--pitch" || arg == "--formant") {
      if (!hasValue) {
        error = arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "-o") {
        request.output = value;
      } else if (arg == "--pitch-range") {
        if (!ParseRange(value, request.pitchLowNote, request.pitchHighNote)) {
          error = "--pitch-range takes LOW-HIGH, notes C0 ... C8 such as G2-E5";
          return std::nullopt;
        }
      } else if (arg == "--pitch") {
        if (!(pitch = ParseHalfSteps(value, 24))) {
          error = "--pitch takes -24 ... 24 semitones in steps of 0.5";
          return std::nullopt;
        }
      } else if (!(formant = ParseHalfSteps(value, 12))) {
        error = "--formant takes -12 ... 12 semitones in steps of 0.5";
        return std::nullopt;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg;
      return std::nullopt;
    } else if (request.input.empty()) {
      request.input = arg;
    } else {
      error = "more than one input file";
      return std::nullopt;
    }
  }
  if (request.input.empty() || request.output.empty() || !pitch || !formant) {
    error = "convert needs INPUT.wav, -o OUTPUT.wav, --pitch and --formant";
    return std::nullopt;
  }
  request.ratios = ConversionRatios{PitchRatioOfPosition(*pitch), FormantRatioOfPosition(*formant)};
  return request;
}

}  // namespace

int RunConvertCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<VoiceFileConversion> request = ParseConvertOptions(args, error);
  if (!request) {
    std::fprintf(stderr, "velmio-cli convert: %s\nusage:\n%s", error.c_str(), kConvertUsage);
    return 2;
  }
  return ConvertVoiceFile(*request, ReportToStderr);
}

}  // namespace velmio::cli
