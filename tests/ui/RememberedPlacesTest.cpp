// What the window remembers between sessions, in a preferences file under
// a private XDG_CONFIG_HOME: recent files, zoom, size and place, folders.
#include <QMenu>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "FrameFixture.h"
#include "ui/WindowPreferences.h"

namespace velmio::ui {
namespace {

class RememberedPlacesTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old != nullptr) m_oldConfig = old;
    setenv("XDG_CONFIG_HOME", config.File("config").c_str(), 1);
    test::WriteToneWav(tone, 1, 44100, 44100);
  }
  void TearDown() override {
    if (m_oldConfig) {
      setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
  }

  std::unique_ptr<CMainFrame> Start(CWindowPreferences& preferences) {
    auto frame = std::make_unique<CMainFrame>(test::PathsIn(dir), &midi, waveOut);
    frame->UsePreferences(&preferences);
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    return frame;
  }
  static bool Analysed(CMainFrame& frame) {
    return test::WaitFor(
        [&frame] { return frame.View().CurrentAnalysis().State() == AnalysisState::kTakenOver; });
  }

  test::TempDir config;
  test::TempDir dir;
  test::RecordingMidi midi;
  VirtualWaveOutDevice waveOut;
  std::string tone = dir.File("tone.wav");

 private:
  std::optional<std::string> m_oldConfig;
};

TEST_F(RememberedPlacesTest, RecentFilesZoomSpeedAndWindowComeBackAfterARestart) {
  const QString path = CWindowPreferences::DefaultPath();
  EXPECT_EQ(path, QString::fromStdString(config.File("config/velmio/velmio-window.conf")));
  QByteArray geometry;
  {
    CWindowPreferences preferences(path);
    auto frame = Start(preferences);
    EXPECT_FALSE(frame->RecentFilesMenu()->isEnabled()) << "nothing opened yet";
    frame->OpenFromCommandLine(QString::fromStdString(tone));
    ASSERT_TRUE(Analysed(*frame));
    frame->View().SetZoomStep(-4);
    frame->View().SetPlaybackStretch({75.0, -2, 30});
    frame->resize(700, 500);
    geometry = frame->saveGeometry();
  }
  ASSERT_TRUE(QFileInfo::exists(path));
  EXPECT_FALSE(std::filesystem::exists(dir.File("velmio-window.conf"))) << "not beside velmio.ini";

  CWindowPreferences preferences(path);
  auto frame = Start(preferences);
  EXPECT_EQ(frame->View().ZoomStep(), -4);
  const StretchSettings& stretch = frame->View().PlaybackStretch();
  EXPECT_EQ(stretch.speedPercent, 75.0);
  EXPECT_EQ(stretch.semitones, -2);
  EXPECT_EQ(stretch.cents, 30);
  EXPECT_EQ(frame->saveGeometry(), geometry);
  const QList<QAction*> items = frame->RecentFilesMenu()->actions();
  ASSERT_EQ(items.size(), 1);
  EXPECT_TRUE(items.first()->text().endsWith(QStringLiteral("tone.wav")))
      << items.first()->text().toStdString();
  items.first()->trigger();
  ASSERT_TRUE(Analysed(*frame));
  EXPECT_EQ(frame->View().Recording().FilePath(), tone);
}

TEST_F(RememberedPlacesTest, TheFirstWindowShowsThePianoRoll) {
  CWindowPreferences preferences(CWindowPreferences::DefaultPath());
  auto frame = Start(preferences);
  const QSize available = frame->screen()->availableGeometry().size();
  test::WaitFor([&] { return frame->frameGeometry().size() != QSize(620, 432); }, 2000);
  EXPECT_EQ(frame->frameGeometry().size(), QSize(1100, 700).boundedTo(available));
}

TEST(WindowPreferences, RecentFilesLatestFirstEachOnceAtMostEight) {
  test::TempDir dir;
  CWindowPreferences preferences(QString::fromStdString(dir.File("places.conf")));
  for (int i = 1; i <= 10; ++i) preferences.AddRecentFile(QStringLiteral("/music/%1.wav").arg(i));
  preferences.AddRecentFile(QStringLiteral("/music/5.wav"));
  preferences.AddRecentFile(QString());
  const QStringList expected = {"/music/5.wav", "/music/10.wav", "/music/9.wav", "/music/8.wav",
                                "/music/7.wav", "/music/6.wav",  "/music/4.wav", "/music/3.wav"};
  EXPECT_EQ(preferences.RecentFiles(), expected);
  preferences.RemoveRecentFile(QStringLiteral("/music/10.wav"));
  EXPECT_EQ(preferences.RecentFiles().size(), 7);

  EXPECT_EQ(preferences.LastFolder(QStringLiteral("open-wav")), QString());
  preferences.SetLastFolder(QStringLiteral("open-wav"), QStringLiteral("/music"));
  preferences.SetLastFolder(QStringLiteral("save-vlx"), QStringLiteral("/analyses"));
  EXPECT_EQ(preferences.LastFolder(QStringLiteral("open-wav")), QStringLiteral("/music"));
  EXPECT_FALSE(preferences.ZoomStep());
  EXPECT_FALSE(preferences.Playback());
  preferences.SetPlayback({50.0, -2, 10});
  preferences.Sync();

  CWindowPreferences again(QString::fromStdString(dir.File("places.conf")));
  EXPECT_EQ(again.LastFolder(QStringLiteral("save-vlx")), QStringLiteral("/analyses"));
  ASSERT_TRUE(again.Playback());
  EXPECT_EQ(again.Playback()->speedPercent, 50.0);
  EXPECT_EQ(again.Playback()->semitones, -2);
}

}  // namespace
}  // namespace velmio::ui
