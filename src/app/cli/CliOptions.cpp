#include "app/cli/CliOptions.h"

#include <charconv>
#include <filesystem>
#include <functional>
#include <system_error>

#include "audio/NoteNames.h"
#include "view/TimeScale.h"

namespace velmio::cli {
namespace {

bool ParseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// "AxB" (separator x or ,) into two integers.
bool ParsePair(const std::string& text, char separator, int& first, int& second) {
  const std::size_t at = text.find(separator);
  return at != std::string::npos && ParseInt(text.substr(0, at), first) &&
         ParseInt(text.substr(at + 1), second);
}

// Applies one "--name value" analysis option; returns an error text or "".
std::string ApplyAnalysisOption(const std::string& name, const std::string& value,
                                AnalysisSettings& s) {
  int number = 0;
  if (name == "--bins") {
    if (!ParseInt(value, number) || (number != 1 && number != 2 && number != 4 && number != 8)) {
      return "--bins takes 1, 2, 4 or 8";
    }
    s.m_binsPerSemitone = number;
  } else if (name == "--window") {
    if (value != "cq" && value != "trapezoid") return "--window takes cq or trapezoid";
    s.m_windowMode = value == "cq" ? 0 : 1;
  } else if (name == "--a4") {
    if (!ParseInt(value, number) || number < 220 || number > 880) {
      return "--a4 takes a whole number of Hz from 220 to 880";
    }
    s.m_a4Frequency = number;
  } else if (name == "--low") {
    number = ParseOctaveNote(value);
    if (number < 0 || number > 48) return "--low takes C0, C1, C2, C3 or C4";
    s.m_lowNote = number;
  } else if (name == "--high") {
    number = ParseOctaveNote(value);
    if (number < 72) return "--high takes C6, C7, C8, C9 or C10";
    s.m_highNote = number;
  } else if (name == "--vocal") {
    number = value == "off" ? 0 : value == "cut" ? 1 : value == "extract" ? 2 : -1;
    if (number < 0) return "--vocal takes cut, extract or off";
    s.m_vocalCutMode = number;
  } else if (name == "--formants") {
    if (!ParseInt(value, number) || number < 0 || number > 2) return "--formants takes 0, 1 or 2";
    s.m_formantEnabled = 1;
    s.m_formantSensitivity = number;
  } else if (name == "--vocal-low") {
    number = ParseVocalNote(value);
    if (number < 0) return "--vocal-low takes a note from C2 to C5 (C2, C#2, D2 ... C5)";
    s.m_vocalLowestNote = number;
  } else if (name == "--decoder") {
    // An external decoder program converts the input instead of the built-in decoding.
    if (value.empty() || value == kNoDecoderPath) return "--decoder takes the path of a program";
    s.m_decoderPath = value;
  } else {
    return "unknown option " + name;
  }
  return "";
}

// The output would replace the recording: the same name, another spelling of
// it, a symbolic or a hard link to it.
bool NamesSameFile(const std::string& input, const std::string& output) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::equivalent(input, output, ec)) return true;
  // A dangling link or a missing output cannot be the recording; a path
  // through a link to the input's directory is caught by resolving both.
  const fs::path a = fs::weakly_canonical(input, ec);
  if (ec) return false;
  const fs::path b = fs::weakly_canonical(output, ec);
  return !ec && a == b;
}

// What a verb does with an option of its own: not its option, done, or an error.
enum class Handled { kNo, kYes, kError };
using ValueReader = std::function<bool(std::string&)>;
using VerbOption =
    std::function<Handled(const std::string& name, const ValueReader& next, std::string& error)>;

bool ParseCommon(const std::vector<std::string>& args, AnalyseOptions& options, std::string& error,
                 const VerbOption& verbOption, bool outputNeeded = true) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      if (!options.input.empty()) {
        error = "only one input file can be given";
        return false;
      }
      options.input = arg;
      continue;
    }
    const ValueReader next = [&](std::string& value) {
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    if (verbOption) {
      const Handled handled = verbOption(arg, next, error);
      if (handled == Handled::kError) return false;
      if (handled == Handled::kYes) continue;
    }
    std::string value;
    if (!next(value)) {
      error = arg + " needs a value";
      return false;
    }
    if (arg == "-o" || arg == "--output") {
      options.output = value;
      continue;
    }
    if (arg == "--pitch") {
      options.pitch = ParsePitchRange(value);
      if (!options.pitch) {
        error = "--pitch takes LOW-HIGH, two notes from C0 to C8 such as G2-E5";
        return false;
      }
      continue;
    }
    error = ApplyAnalysisOption(arg, value, options.settings);
    if (!error.empty()) return false;
  }
  if (options.input.empty() || (outputNeeded && options.output.empty())) {
    error = outputNeeded ? "an input file and -o OUTPUT are needed" : "an input file is needed";
    return false;
  }
  if (!options.output.empty() && NamesSameFile(options.input, options.output)) {
    error = "the output " + options.output + " is the input file; choose another name";
    return false;
  }
  return true;
}

// Reads the value of `name` as an integer option into `target`.
Handled ReadInt(const std::string& name, const ValueReader& next, std::string& error, int minimum,
                std::optional<int>& target) {
  std::string value;
  int number = 0;
  if (!next(value) || !ParseInt(value, number) || number < minimum) {
    error = name + " takes a whole number of at least " + std::to_string(minimum);
    return Handled::kError;
  }
  target = number;
  return Handled::kYes;
}

// "TEMPO[,BEATS[,START_MS]]": 4 beats from 0 ms unless given.
bool ParseBars(const std::string& text, TempoGrid& grid) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  if (parts.size() > 3) return false;
  grid = TempoGrid{};
  if (!ParseInt(parts[0], grid.tempo) || grid.tempo < 1 || grid.tempo > 1000) return false;
  if (parts.size() > 1 &&
      (!ParseInt(parts[1], grid.beatsPerBar) || grid.beatsPerBar < 1 || grid.beatsPerBar > 16))
    return false;
  return parts.size() < 3 || ParseInt(parts[2], grid.startMs);
}

Handled ApplyRenderOption(const std::string& name, const ValueReader& next, std::string& error,
                          RenderOptions& r) {
  std::string value;
  if (name == "--color") return r.color = true, Handled::kYes;
  if (name == "--waveform") return r.waveform = true, Handled::kYes;
  if (name == "--size") {
    if (!next(value) || !ParsePair(value, 'x', r.size.width, r.size.height) || r.size.width < 1 ||
        r.size.height < 1 || r.size.width > 16384 || r.size.height > 16384) {
      error = "--size takes WIDTHxHEIGHT, each from 1 to 16384";
      return Handled::kError;
    }
    return Handled::kYes;
  }
  if (name == "--scroll") {
    if (!next(value) || !ParsePair(value, ',', r.scroll.x, r.scroll.y) || r.scroll.x < 0 ||
        r.scroll.y < 0) {
      error = "--scroll takes X,Y";
      return Handled::kError;
    }
    return Handled::kYes;
  }
  if (name == "--grid") {
    if (!next(value) || (value != "octave" && value != "frequency")) {
      error = "--grid takes octave or frequency";
      return Handled::kError;
    }
    r.frequencyGrid = value == "frequency";
    return Handled::kYes;
  }
  if (name == "--bars") {
    TempoGrid grid;
    if (!next(value) || !ParseBars(value, grid)) {
      error = "--bars takes TEMPO[,BEATS[,START_MS]]: 1 to 1000 beats per minute, 1 to 16 beats";
      return Handled::kError;
    }
    r.bars = grid;
    return Handled::kYes;
  }
  if (name == "--zoom") {
    if (!next(value) || !ParseInt(value, r.zoom) || !IsZoomStep(r.zoom)) {
      error = "--zoom takes -32, -16, -8, -4, -2 (frames per column), 1, 2 or 4";
      return Handled::kError;
    }
    return Handled::kYes;
  }
  if (name == "--gain") return ReadInt(name, next, error, -1000, r.gainDb);
  if (name == "--range") return ReadInt(name, next, error, 1, r.rangeDb);
  if (name == "--hover") return ReadInt(name, next, error, 0, r.hoverY);
  if (name == "--harmonics") {
    const Handled handled = ReadInt(name, next, error, 2, r.harmonics);
    if (handled == Handled::kYes && *r.harmonics > 8) {
      error = "--harmonics takes 2 to 8";
      return Handled::kError;
    }
    return handled;
  }
  return Handled::kNo;
}

Handled ApplyTempoOption(const std::string& name, const ValueReader& next, std::string& error,
                         TempoOptions& t) {
  if (name == "--gain") return ReadInt(name, next, error, -1000, t.gainDb);
  if (name == "--range") return ReadInt(name, next, error, 1, t.rangeDb);
  return Handled::kNo;
}

// The vocal verb's own options; anything else but -o is refused.
Handled ApplyVocalOption(const std::string& name, const ValueReader& next, std::string& error,
                         VocalOptions& v, bool& modeGiven) {
  std::string value;
  if (name == "-o" || name == "--output") return Handled::kNo;
  if (!next(value)) {
    error = name + " needs a value";
    return Handled::kError;
  }
  if (name == "--mode") {
    if (value != "cut" && value != "extract") {
      error = "--mode takes cut or extract";
      return Handled::kError;
    }
    v.params.mode = value == "cut" ? VocalMode::kCut : VocalMode::kExtract;
    modeGiven = true;
  } else if (name == "--low") {
    v.params.lowestNote = ParseVocalNote(value);
    if (v.params.lowestNote < 0) {
      error = "--low takes a note from C2 to C5 (C2, C#2, D2 ... C5)";
      return Handled::kError;
    }
  } else if (name == "--a4") {
    if (!ParseInt(value, v.params.a4Frequency) || v.params.a4Frequency < 220 ||
        v.params.a4Frequency > 880) {
      error = "--a4 takes a whole number of Hz from 220 to 880";
      return Handled::kError;
    }
  } else {
    error = "unknown option " + name;
    return Handled::kError;
  }
  return Handled::kYes;
}

}  // namespace

std::optional<VocalOptions> ParseVocalOptions(const std::vector<std::string>& args,
                                              std::string& error) {
  VocalOptions options;
  bool modeGiven = false;
  const VerbOption vocalOption = [&](const std::string& name, const ValueReader& next,
                                     std::string& message) {
    return ApplyVocalOption(name, next, message, options, modeGiven);
  };
  AnalyseOptions files;
  if (!ParseCommon(args, files, error, vocalOption)) return std::nullopt;
  if (!modeGiven) {
    error = "--mode cut or --mode extract is needed";
    return std::nullopt;
  }
  options.input = files.input;
  options.output = files.output;
  return options;
}

int ParseVocalNote(const std::string& text) {
  // C2 ... C5, counted from C2.
  const int note = ParseVoiceNote(text);
  return note >= 24 && note <= 60 ? note - 24 : -1;
}

int ParsePitchNote(const std::string& text) {
  return ParseVoiceNote(text);
}

std::optional<PitchRangeOption> ParsePitchRange(const std::string& text) {
  const std::size_t dash = text.find('-');
  if (dash == std::string::npos) return std::nullopt;
  const int low = ParsePitchNote(text.substr(0, dash));
  const int high = ParsePitchNote(text.substr(dash + 1));
  if (low < 0 || high < 0) return std::nullopt;
  return PitchRangeOption{low, high};
}

int ParseOctaveNote(const std::string& text) {
  int octave = 0;
  if (text.size() < 2 || (text[0] != 'C' && text[0] != 'c')) return -1;
  if (!ParseInt(text.substr(1), octave) || octave < 0 || octave > 10) return -1;
  return 12 * octave;
}

std::optional<AnalyseOptions> ParseAnalyseOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
  AnalyseOptions options;
  if (!ParseCommon(args, options, error, {})) return std::nullopt;
  return options;
}

std::optional<TempoOptions> ParseTempoOptions(const std::vector<std::string>& args,
                                              std::string& error) {
  TempoOptions options;
  const VerbOption tempoOption = [&options](const std::string& name, const ValueReader& next,
                                            std::string& message) {
    return ApplyTempoOption(name, next, message, options);
  };
  if (!ParseCommon(args, options.analysis, error, tempoOption, false)) return std::nullopt;
  if (!options.analysis.output.empty()) {
    error = "writes its result to the standard output; -o is not taken";
    return std::nullopt;
  }
  return options;
}

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  RenderOptions options;
  const VerbOption renderOption = [&options](const std::string& name, const ValueReader& next,
                                             std::string& message) {
    return ApplyRenderOption(name, next, message, options);
  };
  if (!ParseCommon(args, options.analysis, error, renderOption)) return std::nullopt;
  return options;
}

}  // namespace velmio::cli
