#include "app/cli/CliOptions.h"

#include <charconv>

namespace velmio::cli {
namespace {

bool ParseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// Applies one "--name value" pair; returns an error text or "".
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
    if (!ParseInt(value, number) || number < 100 || number > 1000) {
      return "--a4 takes a whole number of Hz from 100 to 1000";
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
  } else {
    return "unknown option " + name;
  }
  return "";
}

}  // namespace

int ParseOctaveNote(const std::string& text) {
  int octave = 0;
  if (text.size() < 2 || (text[0] != 'C' && text[0] != 'c')) return -1;
  if (!ParseInt(text.substr(1), octave) || octave < 0 || octave > 10) return -1;
  return 12 * octave;
}

std::optional<AnalyseOptions> ParseAnalyseOptions(const std::vector<std::string>& args,
                                                  std::string& error) {
  AnalyseOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 1 && arg[0] == '-') {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return std::nullopt;
      }
      const std::string& value = args[++i];
      if (arg == "-o" || arg == "--output") {
        options.output = value;
        continue;
      }
      error = ApplyAnalysisOption(arg, value, options.settings);
      if (!error.empty()) return std::nullopt;
    } else if (options.input.empty()) {
      options.input = arg;
    } else {
      error = "only one input file can be analysed";
      return std::nullopt;
    }
  }
  if (options.input.empty() || options.output.empty()) {
    error = "an input file and -o OUTPUT are needed";
    return std::nullopt;
  }
  return options;
}

}  // namespace velmio::cli
