#include "ui/WindowPreferences.h"

#include <QDir>
#include <QStandardPaths>

namespace velmio::ui {
namespace {

constexpr char kRecentKey[] = "recent/files";
constexpr char kGeometryKey[] = "window/geometry";
constexpr char kZoomKey[] = "view/zoom";
constexpr char kSpeedKey[] = "playback/speed";
constexpr char kSemitonesKey[] = "playback/semitones";
constexpr char kCentsKey[] = "playback/cents";

QString FolderKey(const QString& dialog) {
  return QStringLiteral("folders/") + dialog;
}

}  // namespace

CWindowPreferences::CWindowPreferences(const QString& path)
    : m_settings(path, QSettings::IniFormat) {}

QString CWindowPreferences::DefaultPath() {
  // Asked each time: the environment may be set after Qt looked at it first.
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty() || !QDir::isAbsolutePath(config))
    config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return config + QStringLiteral("/velmio/velmio-window.conf");
}

QString CWindowPreferences::LastFolder(const QString& dialog) const {
  return m_settings.value(FolderKey(dialog)).toString();
}

void CWindowPreferences::SetLastFolder(const QString& dialog, const QString& folder) {
  m_settings.setValue(FolderKey(dialog), folder);
}

QStringList CWindowPreferences::RecentFiles() const {
  QStringList files = m_settings.value(kRecentKey).toStringList();
  files.removeAll(QString());
  files.removeDuplicates();
  while (files.size() > kRecentFiles) files.removeLast();
  return files;
}

void CWindowPreferences::AddRecentFile(const QString& path) {
  if (path.isEmpty()) return;
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFiles) files.removeLast();
  m_settings.setValue(kRecentKey, files);
}

void CWindowPreferences::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path);
  m_settings.setValue(kRecentKey, files);
}

QByteArray CWindowPreferences::WindowGeometry() const {
  return m_settings.value(kGeometryKey).toByteArray();
}

void CWindowPreferences::SetWindowGeometry(const QByteArray& geometry) {
  m_settings.setValue(kGeometryKey, geometry);
}

std::optional<int> CWindowPreferences::ZoomStep() const {
  bool ok = false;
  const int step = m_settings.value(kZoomKey).toInt(&ok);
  if (!ok) return std::nullopt;
  return step;
}

void CWindowPreferences::SetZoomStep(int step) {
  m_settings.setValue(kZoomKey, step);
}

std::optional<CWindowPreferences::PlaybackPlace> CWindowPreferences::Playback() const {
  if (!m_settings.contains(kSpeedKey)) return std::nullopt;
  PlaybackPlace place;
  place.speedPercent = m_settings.value(kSpeedKey, 100.0).toDouble();
  place.semitones = m_settings.value(kSemitonesKey, 0).toInt();
  place.cents = m_settings.value(kCentsKey, 0).toInt();
  return place;
}

void CWindowPreferences::SetPlayback(const PlaybackPlace& place) {
  m_settings.setValue(kSpeedKey, place.speedPercent);
  m_settings.setValue(kSemitonesKey, place.semitones);
  m_settings.setValue(kCentsKey, place.cents);
}

}  // namespace velmio::ui
