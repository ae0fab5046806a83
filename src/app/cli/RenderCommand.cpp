#include "app/cli/RenderCommand.h"

#include <QImage>
#include <cstdio>

#include "app/cli/CliOptions.h"
#include "app/cli/ViewSession.h"

namespace velmio::cli {
namespace {

// The display options go through the commands and members the window uses.
void ApplyDisplayOptions(const RenderOptions& o, ViewSession& session) {
  CTestView& view = session.View();
  if (o.color) view.SetColorMap(1);
  if (o.gainDb || o.rangeDb) {
    view.SetLevels(o.gainDb.value_or(view.Settings().m_levelTopDb),
                   o.rangeDb.value_or(view.Settings().m_levelRangeDb));
  }
  if (o.frequencyGrid) view.OnToggleGrid();
  if (o.waveform) view.OnToggleWaveform();
  if (o.harmonics) {
    view.SetHarmonicsCount(*o.harmonics);
    if (view.Settings().m_showHarmonics == 0) view.OnToggleHarmonics();
  }
  // Before the scroll: the scroll position counts columns at this zoom.
  view.SetZoomStep(o.zoom);
  view.OnHScroll(o.scroll.x);
  view.OnVScroll(o.scroll.y);
  if (o.hoverY) view.SetHover(*o.hoverY);
  if (o.bars) {
    view.SetTempo(*o.bars);
    view.OnBarDisplay();
  }
}

}  // namespace

int RunRenderCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<RenderOptions> options = ParseRenderOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli render: %s\n", error.c_str());
    return 2;
  }
  ViewSession session(options->size);
  CTestView& view = session.View();
  view.UseSettings(options->analysis.settings);
  if (!session.OpenWithOptions(options->analysis.input, options->analysis.pitch)) return 1;
  ApplyDisplayOptions(*options, session);
  const QImage image = view.RenderToImage();
  if (image.isNull() || !image.save(QString::fromStdString(options->analysis.output), "PNG")) {
    std::fprintf(stderr, "velmio-cli render: cannot write %s\n", options->analysis.output.c_str());
    return 1;
  }
  return 0;
}

}  // namespace velmio::cli
