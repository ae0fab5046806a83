#pragma once
// Command-line options shared by the velmio-cli verbs.
#include <optional>
#include <string>
#include <vector>

#include "audio/VocalCut.h"
#include "engine/TempoGrid.h"
#include "persist/AnalysisSettings.h"
#include "view/Host.h"

namespace velmio::cli {

// The single-voice search range, semitones above C0 (both inclusive).
struct PitchRangeOption {
  int lowNote = 31;
  int highNote = 64;
};

struct AnalyseOptions {
  std::string input;
  std::string output;
  AnalysisSettings settings;
  // Set: the recording is opened in single-voice mode with this range.
  std::optional<PitchRangeOption> pitch;
};

// Parses "INPUT -o OUTPUT [--bins N] [--window cq|trapezoid] [--a4 HZ]
// [--low NOTE] [--high NOTE] [--vocal cut|extract|off] [--vocal-low NOTE]
// [--pitch LOW-HIGH] [--formants 0|1|2]".
// On a mistake returns nothing and sets `error`.
std::optional<AnalyseOptions> ParseAnalyseOptions(const std::vector<std::string>& args,
                                                  std::string& error);

struct RenderOptions {
  AnalyseOptions analysis;
  ClientSize size{800, 600};
  ScrollPoint scroll{0, 0};
  std::optional<int> gainDb;
  std::optional<int> rangeDb;
  bool color = false;
  bool frequencyGrid = false;
  std::optional<int> hoverY;
  std::optional<int> harmonics;
  bool waveform = false;
  std::optional<TempoGrid> bars;  // the bar grid instead of seconds
  int zoom = 1;  // a zoom step: -32 ... -2 frames per column, 1, or 2 and 4 columns per frame
};

// Parses "INPUT -o OUTPUT.png" with the analysis options and [--size WxH]
// [--scroll X,Y] [--gain DB] [--range DB] [--color] [--grid octave|frequency]
// [--hover Y] [--harmonics N] [--waveform] [--bars TEMPO[,BEATS[,START_MS]]] [--zoom N].
std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error);

struct TempoOptions {
  AnalyseOptions analysis;  // no output file
  std::optional<int> gainDb;
  std::optional<int> rangeDb;
};

// Parses "INPUT" with the analysis options and [--gain DB] [--range DB].
std::optional<TempoOptions> ParseTempoOptions(const std::vector<std::string>& args,
                                              std::string& error);

struct VocalOptions {
  std::string input;
  std::string output;
  VocalCutParams params;
};

// Parses "INPUT -o OUTPUT --mode cut|extract [--low NOTE] [--a4 HZ]"; the
// lowest vocal note C2 ... C5 defaults to G3, A4 to 440 Hz.
std::optional<VocalOptions> ParseVocalOptions(const std::vector<std::string>& args,
                                              std::string& error);
// A note of the single-voice lists, "C0" ... "C8" with an optional '#'
// ("G2", "C#4"), to semitones above C0 (0 ... 96), or -1.
int ParsePitchNote(const std::string& text);
// "LOW-HIGH" of two such notes ("G2-E5").
std::optional<PitchRangeOption> ParsePitchRange(const std::string& text);

// "C0".."C10" to semitones above C0, or -1.
int ParseOctaveNote(const std::string& text);
// The lowest vocal note, "C2" ... "C5" ("C#2", "G3", also "G_3" as the
// settings dialog spells it), to its index 0 ... 36 (semitones above C2), or -1.
int ParseVocalNote(const std::string& text);

}  // namespace velmio::cli
