// velmio-cli: the program's flows without a window, for batch use and checks.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/AnalyseCommand.h"
#include "app/cli/ConvertCommand.h"
#include "app/cli/RenderCommand.h"
#include "app/cli/TempoCommand.h"
#include "app/cli/VocalCommand.h"
#include "app/cli/StretchCommand.h"

namespace {

constexpr char kUsage[] =
    "usage: velmio-cli analyse INPUT.wav -o OUTPUT.vlx [ANALYSIS OPTIONS]\n"
    "       velmio-cli render INPUT.wav -o OUTPUT.png [ANALYSIS OPTIONS] [--size WxH] [--scroll "
    "X,Y]\n"
    "                  [--gain DB] [--range DB] [--color] [--grid octave|frequency] [--hover Y]\n"
    "                  [--harmonics N] [--waveform] [--bars TEMPO[,BEATS[,START_MS]]] [--zoom N]\n"
    "                  (--zoom -32 ... -2: frames per column, 2 or 4: columns per frame)\n"
    "       velmio-cli tempo INPUT.wav [ANALYSIS OPTIONS] [--gain DB] [--range DB]\n"
    "       velmio-cli vocal INPUT.wav -o OUTPUT.wav --mode cut|extract [--low C2 ... C5] [--a4 "
    "HZ]\n"
    "       velmio-cli stretch INPUT.wav -o OUTPUT.wav --speed S [--transpose SEMITONES] "
    "[--cents C]\n"
    "analysis options: [--bins 1|2|4|8] [--window cq|trapezoid] [--a4 HZ]\n"
    "                  [--low C0|C1|C2|C3|C4] [--high C6|C7|C8|C9|C10]\n"
    "                  [--vocal cut|extract|off] [--vocal-low C2 ... C5]\n"
    "                  [--pitch LOW-HIGH (single voice, notes C0 ... C8, e.g. G2-E5)]\n"
    "                  [--formants 0|1|2 (formant tracks at that sensitivity)]\n";

// Qt's own notices (about runtime folders, fonts, platforms) are not the
// tool's output: stderr carries the progress and the user's messages only.
void DropQtNotices(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string verb = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (verb == "--help" || verb == "-h" || verb == "help") {
    std::fputs(kUsage, stdout);
    std::fputs(velmio::cli::kConvertUsage, stdout);
    return 0;
  }
  if (verb == "convert") {
    const int status = velmio::cli::RunConvertCommand(args);
    if (status == 2) std::fputs(kUsage, stderr);
    return status;
  }
  if (verb != "analyse" && verb != "analyze" && verb != "render" && verb != "tempo" &&
      verb != "vocal" && verb != "stretch") {
    std::fprintf(stderr, "velmio-cli: unknown command %s\n%s", verb.c_str(), kUsage);
    return 2;
  }
  // Sound processing only: no Qt.
  if (verb == "vocal") return velmio::cli::RunVocalCommand(args);
  // The view draws with QtGui (fonts for the labels); no display is needed.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(DropQtNotices);
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  if (verb == "tempo") return velmio::cli::RunTempoCommand(args);
  if (verb == "stretch") return velmio::cli::RunStretchCommand(args);
  return verb == "render" ? velmio::cli::RunRenderCommand(args)
                          : velmio::cli::RunAnalyseCommand(args);
}
