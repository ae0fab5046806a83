#include "app/cli/VocalCommand.h"

#include <cstdio>

#include "app/cli/CliOptions.h"
#include "audio/RecordingSession.h"
#include "audio/WaveFile.h"

namespace velmio::cli {
namespace {

void ReportError(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
}

bool WritePcm(const std::string& path, const RecordingSession& recording) {
  CWaveFile out(ReportError);
  MakePcm16Format(out.format, recording.Channels(), recording.SampleRate());
  if (out.OpenWrite(path) != 0) return false;
  const PcmView pcm = recording.Pcm();
  const int64_t written = out.WriteData(pcm.samples, pcm.dataSize);
  return out.Close() == 0 && written == pcm.dataSize;
}

}  // namespace

int RunVocalCommand(const std::vector<std::string>& args) {
  std::string error;
  const std::optional<VocalOptions> options = ParseVocalOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "velmio-cli vocal: %s\n", error.c_str());
    return 2;
  }
  RecordingSession recording(ReportError);
  if (!recording.Load(options->input, options->input, {})) return 1;
  const double seconds = recording.ApplyVocals(options->params);
  if (!WritePcm(options->output, recording)) {
    std::fprintf(stderr, "velmio-cli vocal: cannot write %s\n", options->output.c_str());
    return 1;
  }
  if (recording.Channels() == 2) std::fprintf(stderr, "%.3f s\n", seconds);
  return 0;
}

}  // namespace velmio::cli
