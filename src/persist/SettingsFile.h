#pragma once
// The settings file "velmio.ini": the persistent settings as 23 lines of
// plain text, read once at start-up and rewritten completely at exit.
#include <cstddef>
#include <optional>
#include <string>

#include "audio/Report.h"
#include "persist/AnalysisSettings.h"

namespace velmio {

inline constexpr char kSettingsFileName[] = "velmio.ini";
// Written into the first line, "velmio 0.89".
inline constexpr char kSettingsFileVersion[] = "0.89";
// Files whose first line carries this version or a lower one are not read.
inline constexpr double kSettingsFileOldestRejected = 0.869;
// The longest decoder path kept (PATH_MAX without its NUL); a longer line is
// treated like any other unusable decoder line.
inline constexpr std::size_t kMaxDecoderPathChars = 4095;

// A settings file is a few hundred bytes; a larger one is damaged.
inline constexpr std::size_t kMaxSettingsFileBytes = 64 * 1024;

// The equalizer Q as the file holds it, in three decimals: what `value`
// becomes once written and read again, and stays through any further write
// and read. Nothing when the file cannot hold it: no positive finite float,
// or below 0.0005, which would be stored as 0.000. The equalizer dialog
// refuses what this refuses, so every Q in use survives a restart.
std::optional<float> StorableEqQ(double value);

// Reads the settings file at `path` into `settings`. Returns false, leaving
// `settings` untouched, when the file cannot be opened, is not a regular file
// (a pipe or a device, also through a link), is empty or larger than
// kMaxSettingsFileBytes, or its first line is not "velmio" with a version
// above 0.869. Otherwise returns true; each value
// the file holds replaces its member when the program accepts it, while a
// missing, unreadable or unacceptable value leaves the member as it was (the
// caller passes the defaults at start-up). Once a value cannot be read, the
// ones after it are not taken either. A decoder line that is not a path
// ending in "EcoDecoTooL.exe" (any case) sets the decoder path to "none".
// Never reports anything. UI thread (start-up).
bool ReadSettingsFile(const std::string& path, AnalysisSettings& settings);

// Writes all of `settings` to `path` in the file's 23-line layout, replacing
// the file only once the new one is complete, so a failure or a crash keeps
// the old file. Returns false on failure and tells `report`, when given,
// "File open error." (cannot be created) or "File write error." (writing or
// replacing failed). The exit sequence passes no `report`: losing the
// settings is not worth a message while the program closes. UI thread.
bool WriteSettingsFile(const std::string& path, const AnalysisSettings& settings,
                       const ReportFn& report);

}  // namespace velmio
