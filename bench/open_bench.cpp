// Open to picture: a 3-minute mp3 chosen in File > Open until its picture is
// rendered, in the view as the window drives it (decoding to the temporary
// WAV, reading it, the analysis job, the take-over, the first render). The
// reference route is the ffmpeg command decoding to a WAV that is then
// opened; both run in this one process. The mp3 is made by the ffmpeg
// command first; without it the benchmark has nothing to measure.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "RatioReporter.h"
#include "audio/VirtualWaveOutDevice.h"
#include "view/HeadlessHost.h"
#include "view/TestView.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSeconds = 180;

const fs::path& Folder() {
  static const fs::path folder = fs::temp_directory_path() / "velmio-open-bench";
  return folder;
}

std::string Mp3Path() {
  return (Folder() / "three-minutes.mp3").string();
}

bool MakeInput() {
  fs::create_directories(Folder());
  if (fs::exists(Mp3Path())) return true;
  // A chord with a moving melody, stereo, 44.1 kHz, 192 kbit/s.
  const std::string command =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i \"sine=f=220:d=" + std::to_string(kSeconds) +
      "\" -f lavfi -i \"sine=f=330:d=" + std::to_string(kSeconds) +
      "\" -f lavfi -i \"aevalsrc='0.3*sin(2*PI*(440+100*sin(t))*t)':d=" + std::to_string(kSeconds) +
      "\" -filter_complex \"[0][1][2]amix=inputs=3,aformat=channel_layouts=stereo\" -c:a "
      "libmp3lame -b:a 192k \"" +
      Mp3Path() + "\"";
  return std::system(command.c_str()) == 0;
}

// Opens `path` in a fresh view and waits, as timer 2 would, for the picture.
void OpenToPicture(const std::string& path) {
  velmio::HeadlessHost host({1000, 700});
  velmio::VirtualWaveOutDevice waveOut;
  velmio::ProgramPaths paths;
  paths.exeDir = Folder().string() + "/";
  paths.tempWavPath = (Folder() / "temp.wav").string();
  velmio::CTestView view(host, paths, nullptr, waveOut);
  if (!view.Open(path, velmio::OpenMode::kRecording)) std::abort();
  while (view.CurrentAnalysis().State() != velmio::AnalysisState::kTakenOver) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    view.OnTimer(velmio::kTimerProgress);
  }
  benchmark::DoNotOptimize(view.RenderToImage());
}

void BM_ReferenceFfmpegCommandThenWav(benchmark::State& state) {
  const std::string wav = (Folder() / "reference.wav").string();
  for (auto _ : state) {
    const std::string command = "ffmpeg -nostdin -loglevel error -y -i \"" + Mp3Path() +
                                "\" -c:a pcm_s16le \"" + wav + "\"";
    if (std::system(command.c_str()) != 0) std::abort();
    OpenToPicture(wav);
  }
}

void BM_ShippedOpenMp3(benchmark::State& state) {
  for (auto _ : state) OpenToPicture(Mp3Path());
}

}  // namespace

BENCHMARK(BM_ReferenceFfmpegCommandThenWav)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ShippedOpenMp3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) {
  int qtArgc = 1;
  char name[] = "open_bench";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);  // the picture's labels need fonts
  benchmark::Initialize(&argc, argv);
  if (!MakeInput()) {
    std::fprintf(stderr, "open_bench: the ffmpeg command could not make the mp3\n");
    return 1;
  }
  velmio::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.TimeOf("BM_ReferenceFfmpegCommandThenWav");
  const double shipped = reporter.TimeOf("BM_ShippedOpenMp3");
  std::printf("\n%d s stereo mp3 at 192 kbit/s, 44.1 kHz, default settings, 1000x700 client\n",
              kSeconds);
  if (reference > 0 && shipped > 0) {
    std::printf(
        "open to picture: ffmpeg command + WAV %.0f ms, built-in decoding %.0f ms, "
        "ratio %.2fx (target < 1500 ms)\n",
        reference, shipped, reference / shipped);
  }
  benchmark::Shutdown();
  return 0;
}
