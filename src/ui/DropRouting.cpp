#include "ui/DropRouting.h"

#include <cctype>

namespace velmio::ui {
namespace {

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  if (text.size() < tail.size()) return false;
  const std::size_t start = text.size() - tail.size();
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[start + i])) != tail[i]) return false;
  }
  return true;
}

}  // namespace

DropKind ClassifyDroppedFile(const std::string& path, const std::string& decoderPath) {
  if (path.empty()) return DropKind::kIgnore;
  if (EndsWithIgnoringCase(path, ".vlx")) return DropKind::kAnalysisData;
  if (EndsWithIgnoringCase(path, ".wav") || decoderPath != "none") return DropKind::kRecording;
  return DropKind::kIgnore;
}

}  // namespace velmio::ui
