#include "app/cli/AnalyseCommand.h"

#include <cstdio>

#include "app/cli/CliOptions.h"
#include "app/cli/ViewSession.h"
#include "persist/AnalysisFile.h"

namespace velmio::cli {

int RunAnalyseCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<AnalyseOptions> options = ParseAnalyseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli analyse: %s\n", error.c_str());
    return 2;
  }
  ViewSession session;
  CTestView& view = session.View();
  view.UseSettings(options->settings);
  if (!session.OpenWithOptions(options->input, options->pitch)) return 1;
  const ReportFn report = [](const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
  };
  return WriteAnalysisFile(options->output, view.AnalysisSnapshot(), report) ? 0 : 1;
}

}  // namespace velmio::cli
