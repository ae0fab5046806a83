#include "view/DropRouting.h"

#include "audio/FfmpegDecoding.h"
#include "audio/PathNames.h"

namespace velmio {

DropKind ClassifyDroppedFile(const std::string& path, const AnalysisSettings& settings) {
  if (path.empty()) return DropKind::kIgnore;
  if (HasExtension(path, ".vlx")) return DropKind::kAnalysisData;
  if (IsAudioFilePath(path) || settings.HasDecoder()) return DropKind::kRecording;
  return DropKind::kIgnore;
}

}  // namespace velmio
