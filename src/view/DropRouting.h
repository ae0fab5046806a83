#pragma once
// Which flow a file dropped on the view (or named on the command line) opens.
#include <string>

#include "persist/AnalysisSettings.h"

namespace velmio {

enum class DropKind { kIgnore, kAnalysisData, kRecording };

// ".vlx" at the end (any letter case) opens as analysis data; a WAV file or
// another audio file the built-in decoding reads, or any file while an
// external decoder is configured, opens as a recording; anything else is
// ignored. Any thread.
DropKind ClassifyDroppedFile(const std::string& path, const AnalysisSettings& settings);

}  // namespace velmio
