#pragma once
// Which flow a file dropped on the view (or named on the command line) opens.
#include <string>

namespace velmio::ui {

enum class DropKind { kIgnore, kAnalysisData, kRecording };

// ".vlx" at the end (any letter case) opens as analysis data; ".wav", or any
// file while an external decoder is configured (decoderPath not "none"),
// opens as a recording; anything else is ignored. Any thread.
DropKind ClassifyDroppedFile(const std::string& path, const std::string& decoderPath);

}  // namespace velmio::ui
