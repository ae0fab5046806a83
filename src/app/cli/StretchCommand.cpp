#include "app/cli/StretchCommand.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "app/cli/ViewSession.h"
#include "audio/WaveFile.h"

namespace velmio::cli {
namespace {

bool ParseNumber(std::string text, double& value) {
  if (!text.empty() && text.back() == '%') text.pop_back();
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

bool ParseWhole(const std::string& text, int& value) {
  const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end && begin != end;
}

// A percentage, or a factor when at most 2 (no percentage that low is allowed).
bool ParseSpeed(const std::string& text, double& percent) {
  double value = 0.0;
  if (!ParseNumber(text, value)) return false;
  const bool factor = text.back() != '%' && value <= 2.0;
  percent = factor ? value * 100.0 : value;
  return percent >= kMinSpeedPercent && percent <= kMaxSpeedPercent;
}

std::string ApplyOption(const std::string& name, const std::string& value,
                        StretchOptions& options) {
  if (name == "-o") {
    options.output = value;
  } else if (name == "--speed") {
    if (!ParseSpeed(value, options.settings.speedPercent))
      return "--speed takes 25 ... 200 (percent) or 0.25 ... 2";
  } else if (name == "--transpose") {
    if (!ParseWhole(value, options.settings.semitones) ||
        std::abs(options.settings.semitones) > kMaxTransposeSemitones)
      return "--transpose takes whole semitones from -12 to 12";
  } else if (name == "--cents") {
    if (!ParseWhole(value, options.settings.cents) ||
        std::abs(options.settings.cents) > kMaxTransposeCents)
      return "--cents takes whole cents from -50 to 50";
  } else {
    return "unknown option " + name;
  }
  return "";
}

bool WritePlayed(const std::string& path, const WaveFormat& format,
                 const std::vector<uint8_t>& bytes) {
  CWaveFile out([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
  MakePcm16Format(out.format, format.nChannels, static_cast<int>(format.nSamplesPerSec));
  if (out.OpenWrite(path) != 0) return false;
  const auto size = static_cast<int64_t>(bytes.size());
  const bool written = out.WriteData(bytes.data(), size) == size;
  return out.Close() == 0 && written;
}

}  // namespace

std::optional<StretchOptions> ParseStretchOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
  StretchOptions options;
  bool speedGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.empty() || arg[0] != '-' || arg.size() == 1) {
      if (!options.input.empty()) {
        error = "more than one input: " + arg;
        return std::nullopt;
      }
      options.input = arg;
      continue;
    }
    // A negative number is the value of the option before it, never an option.
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    error = ApplyOption(arg, args[++i], options);
    if (!error.empty()) return std::nullopt;
    speedGiven = speedGiven || arg == "--speed";
  }
  if (options.input.empty() || options.output.empty()) {
    error = "needs INPUT and -o OUTPUT.wav";
  } else if (!speedGiven) {
    error = "needs --speed";
  }
  if (!error.empty()) return std::nullopt;
  return options;
}

int RunStretchCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<StretchOptions> options = ParseStretchOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli stretch: %s\n", error.c_str());
    return 2;
  }
  ViewSession session;
  CTestView& view = session.View();
  if (!session.OpenAndWait(options->input)) return 1;
  view.SetPlaybackStretch(options->settings);
  VirtualWaveOutDevice& output = session.WaveOut();
  view.OnPlay();
  // The output's clock runs until the playback has ended by itself.
  while (view.Playback().IsPlayingOrPaused() && output.Advance(int64_t{1} << 24) > 0) {
  }
  if (output.Played().empty()) {
    std::fprintf(stderr, "velmio-cli stretch: %s is too short to play\n", options->input.c_str());
    return 1;
  }
  return WritePlayed(options->output, view.Playback().PlayFormat(), output.Played()) ? 0 : 1;
}

}  // namespace velmio::cli
