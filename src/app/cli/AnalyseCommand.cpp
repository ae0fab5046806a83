#include "app/cli/AnalyseCommand.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/cli/CliOptions.h"
#include "audio/PcmLoading.h"
#include "engine/AnalysisJob.h"
#include "persist/AnalysisFile.h"

namespace velmio::cli {
namespace {

// Waits for the job like the window's 100 ms progress timer does, showing the
// progress on stderr whenever it changes.
void FollowProgress(AnalysisJob& job) {
  int shown = -1;
  while (job.State() != kAnalysisFinished) {
    const int progress = g_analysisProgress.load();
    if (job.State() == kAnalysisTransform && progress != shown) {
      std::fprintf(stderr, " %3d%% completed.\n", progress);
      shown = progress;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (shown != 100) std::fprintf(stderr, " %3d%% completed.\n", 100);
  job.TakeOver();
}

AnalysisInput InputFor(const WaveData& data, const AnalysisSettings& settings, int hop,
                       const KernelBank& bank) {
  AnalysisInput input;
  input.samples = data.m_samples.data();
  input.dataSize = data.m_wave.dataSize;
  input.channels = data.m_wave.format.nChannels;
  input.bitsPerSample = data.m_wave.format.wBitsPerSample;
  input.hopSize = hop;
  input.lowNote = settings.m_lowNote;
  input.highNote = settings.m_highNote;
  input.binsPerSemitone = settings.m_binsPerSemitone;
  input.bank = &bank;
  return input;
}

AnalysisFileContents ContentsFor(const AnalyseOptions& options, const Spectrogram& result) {
  AnalysisFileContents contents;
  const AnalysisSettings& s = options.settings;
  contents.frameCount = result.m_frameCount;
  contents.levelTopDb = s.m_levelTopDb;
  contents.levelRangeDb = s.m_levelRangeDb;
  contents.lowNote = s.m_lowNote;
  contents.highNote = s.m_highNote;
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(options.input, ignored);
  contents.filePath = absolute.empty() ? options.input : absolute.string();
  contents.levelDb = result.m_levelDb.span();
  contents.frameEnergy = result.m_frameEnergy.span();
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
  const AnalysisSettings& settings = options->settings;
  WaveData data(ReportToStderr);
  if (data.m_wave.OpenRead(options->input) != 0) return 1;
  if (!LoadPcm(data, ReportToStderr)) return 1;

  const int sampleRate = static_cast<int>(data.m_wave.format.nSamplesPerSec);
  const int hop = sampleRate * 256 / 44100;
  KernelBank bank;
  BuildKernelBank(KernelParams{settings.m_binsPerSemitone, settings.m_windowMode,
                               settings.m_a4Frequency, sampleRate, hop},
                  bank);
  AnalysisJob job;
  Spectrogram result;
  job.Start(InputFor(data, settings, hop, bank), result);
  FollowProgress(job);

  if (!WriteAnalysisFile(options->output, ContentsFor(*options, result), ReportToStderr)) return 1;
  std::printf("処理時間  %.1f 秒  (%dch %dbit %dHz)\n", job.m_analysisSeconds,
              data.m_wave.format.nChannels, data.m_sourceBits, sampleRate);
  return 0;
}

}  // namespace velmio::cli
