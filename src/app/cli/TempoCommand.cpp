#include "app/cli/TempoCommand.h"

#include <cstdio>

#include "app/cli/CliOptions.h"
#include "app/cli/ViewSession.h"
#include "engine/TempoGrid.h"

namespace velmio::cli {

int RunTempoCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<TempoOptions> options = ParseTempoOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli tempo: %s\n", error.c_str());
    return 2;
  }
  ViewSession session;
  session.Host().SetCompletionToStdout(false);
  CTestView& view = session.View();
  view.UseSettings(options->analysis.settings);
  if (!session.OpenAndWait(options->analysis.input)) return 1;
  if (options->gainDb || options->rangeDb) {
    view.SetLevels(options->gainDb.value_or(view.Settings().m_levelTopDb),
                   options->rangeDb.value_or(view.Settings().m_levelRangeDb));
  }
  const TempoProposal proposal = view.ProposeTempo();
  std::printf("テンポ %d   拍子 %d / %d   開始時刻 %d ms\n", proposal.tempo,
              BeatsPerBarOfIndex(proposal.beatsPerBarIndex), 4, proposal.startMs);
  return 0;
}

}  // namespace velmio::cli
