// velmio: the desktop application. One main window on one recording; a file
// named on the command line is opened as if it had been dropped on the view.
#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "platform/FluidSynthMidiOut.h"
#include "platform/Locations.h"
#include "platform/QtWaveOutDevice.h"
#include "platform/QuitOnSignal.h"
#include "ui/MainFrame.h"
#include "ui/QtTranslations.h"
#include "ui/UiFonts.h"
#include "view/TestView.h"

namespace {

constexpr int kExposePollMs = 10;
constexpr int kExposeTries = 100;

velmio::ProgramPaths PathsFrom(const velmio::Locations& where) {
  velmio::ProgramPaths paths;
  paths.exeDir = where.programDir;
  paths.iniPath = where.iniPath;
  paths.helpPath = where.helpPath;
  paths.tempWavPath = where.tempWavPath;
  return paths;
}

// Opens `path` once the window is on screen, so that the "File reading."
// notice and any message show over it; the window system reports that only
// through the window's state, so it is polled briefly (about a second at most).
void OpenWhenOnScreen(velmio::ui::CMainFrame& frame, const QString& path, int triesLeft) {
  const QWindow* window = frame.windowHandle();
  if ((window != nullptr && window->isExposed()) || triesLeft <= 0) {
    frame.OpenFromCommandLine(path);
    return;
  }
  QTimer::singleShot(kExposePollMs, &frame,
                     [&frame, path, triesLeft] { OpenWhenOnScreen(frame, path, triesLeft - 1); });
}

}  // namespace

int main(int argc, char** argv) {
  velmio::ExitOnSignalsDuringStartUp();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("velmio"));
  QApplication::setFont(velmio::ui::UiFont());
  velmio::ui::InstallQtTranslations(application);
  velmio::QuitApplicationOnSignals();
  const velmio::Locations where = velmio::FindLocations(argv[0]);
  // Declared before the frame: the view sends its last messages and closes
  // the sound output while it goes.
  const std::unique_ptr<velmio::MidiOut> midi = velmio::CreateDesktopMidiOut();
  velmio::QtWaveOutDevice waveOut;
  velmio::ui::CMainFrame frame(PathsFrom(where), midi.get(), waveOut);
  frame.View().SetOpenAtMiddleOfRange(true);
  frame.show();
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) OpenWhenOnScreen(frame, arguments.at(1), kExposeTries);
  return QApplication::exec();
}
