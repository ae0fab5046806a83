#pragma once
// The places the window remembers between sessions and velmio.ini does not
// hold: the last folder of each file dialog, the recently opened files, the
// window's size and position, the zoom in time, and the playback speed and
// transposition. They live in a file of their own in the XDG config folder
// (Qt's QSettings in INI form), so that velmio.ini keeps exactly its format.
// UI thread.
#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmio::ui {

class CWindowPreferences {
 public:
  static constexpr int kRecentFiles = 8;

  // Reads and writes the INI file at `path` (made when first written).
  explicit CWindowPreferences(const QString& path);
  // $XDG_CONFIG_HOME/velmio/velmio-window.conf (~/.config when unset).
  static QString DefaultPath();

  // The folder the file dialog `dialog` (e.g. "open-wav") showed last; empty at first.
  QString LastFolder(const QString& dialog) const;
  void SetLastFolder(const QString& dialog, const QString& folder);

  // The latest first, at most kRecentFiles, each once.
  QStringList RecentFiles() const;
  void AddRecentFile(const QString& path);
  void RemoveRecentFile(const QString& path);

  // As QWidget::saveGeometry made it; empty at first.
  QByteArray WindowGeometry() const;
  void SetWindowGeometry(const QByteArray& geometry);

  std::optional<int> ZoomStep() const;
  void SetZoomStep(int step);

  // Playback speed in percent, transposition in semitones and fine tuning
  // in cents, for the controls that play slower or transposed: kept here
  // so that they come back as they were left.
  struct PlaybackPlace {
    double speedPercent = 100.0;
    int semitones = 0;
    int cents = 0;
  };
  std::optional<PlaybackPlace> Playback() const;
  void SetPlayback(const PlaybackPlace& place);

  // Writes what changed to the file now.
  void Sync() { m_settings.sync(); }

 private:
  QSettings m_settings;
};

}  // namespace velmio::ui
