#include "app/cli/AnalyseCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/cli/CliOptions.h"
#include "app/cli/ViewSession.h"
#include "persist/AnalysisFile.h"

namespace velmio::cli {
namespace {

AnalysisFileContents ContentsFor(const std::string& input, const CTestView& view) {
  AnalysisFileContents contents;
  const AnalysisSettings& s = view.m_settings;
  contents.frameCount = view.m_spectrogram.m_frameCount;
  contents.levelTopDb = s.m_levelTopDb;
  contents.levelRangeDb = s.m_levelRangeDb;
  contents.lowNote = s.m_lowNote;
  contents.highNote = s.m_highNote;
  // Stored absolute, so that the file reopens its source from anywhere.
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(input, ignored);
  contents.filePath = absolute.empty() ? input : absolute.string();
  contents.levelDb = view.m_spectrogram.m_levelDb.span();
  contents.frameEnergy = view.m_spectrogram.m_frameEnergy.span();
  contents.tempo = view.m_tempo;
  return contents;
}

}  // namespace

int RunAnalyseCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<AnalyseOptions> options = ParseAnalyseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli analyse: %s\n", error.c_str());
    return 2;
  }
  ViewSession session;
  CTestView& view = session.View();
  view.m_settings = options->settings;
  if (!session.OpenAndWait(options->input)) return 1;
  const ReportFn report = [](const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
  };
  return WriteAnalysisFile(options->output, ContentsFor(options->input, view), report) ? 0 : 1;
}

}  // namespace velmio::cli
