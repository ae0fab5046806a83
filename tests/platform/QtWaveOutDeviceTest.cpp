// The real sound output against a real audio server: run through
// with-null-sink.sh, which starts a private PipeWire with a null sink.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/QtWaveOutDevice.h"

namespace velmio {
namespace {

constexpr int32_t kBlockBytes = 32768;

std::vector<int16_t> Sine(int seconds100ths) {
  std::vector<int16_t> pcm(static_cast<std::size_t>(44100) * seconds100ths / 100 * 2);
  for (std::size_t i = 0; i < pcm.size() / 2; ++i) {
    pcm[2 * i] = pcm[2 * i + 1] =
        static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / 44100));
  }
  return pcm;
}

class QtWaveOutDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* why = std::getenv("VELMIO_NO_AUDIO_SERVER"))
      GTEST_SKIP() << "no audio server: " << why;
  }
  int m_argc = 1;
  char m_name[16] = "sound_output";
  char* m_argv[1] = {m_name};
  QCoreApplication m_app{m_argc, m_argv};
};

TEST_F(QtWaveOutDeviceTest, PlaysToTheEndReportingEveryBlockInOrder) {
  const std::vector<int16_t> pcm = Sine(150);
  const auto* bytes = reinterpret_cast<const char*>(pcm.data());
  const int64_t total = static_cast<int64_t>(pcm.size() * 2);
  const int blocks = static_cast<int>((total + kBlockBytes - 1) / kBlockBytes);
  QtWaveOutDevice device;
  WaveFormat format;
  MakePcm16Format(format, 2, 44100);
  ASSERT_EQ(device.Open(format), 0);

  int written = 0, reported = 0;
  std::vector<int64_t> heard;
  const auto writeNext = [&] {
    if (written == blocks) return;
    const int64_t offset = int64_t{written} * kBlockBytes;
    ASSERT_EQ(device.Write(bytes + offset,
                           static_cast<int32_t>(std::min<int64_t>(kBlockBytes, total - offset))),
              0);
    ++written;
  };
  device.SetBlockDoneHandler([&] {
    ++reported;
    heard.push_back(device.BytesPlayed().value_or(-1));
    writeNext();  // a finished slot is refilled at once, as playback does
    if (reported == blocks) m_app.quit();
  });
  for (int slot = 0; slot < 4; ++slot) writeNext();
  QTimer::singleShot(20000, &m_app, &QCoreApplication::quit);
  m_app.exec();

  EXPECT_EQ(reported, blocks);
  for (std::size_t i = 0; i + 1 < heard.size(); ++i) EXPECT_LE(heard[i], heard[i + 1]) << i;
  // Each report comes once the block's last byte has been heard.
  for (std::size_t i = 0; i < heard.size(); ++i) {
    EXPECT_GE(heard[i], std::min<int64_t>(int64_t(i + 1) * kBlockBytes, total)) << i;
  }
  device.Close();
  EXPECT_FALSE(device.BytesPlayed().has_value());
}

TEST_F(QtWaveOutDeviceTest, PauseHoldsThePositionAndResetDiscardsTheQueue) {
  const std::vector<int16_t> pcm = Sine(100);
  QtWaveOutDevice device;
  WaveFormat format;
  MakePcm16Format(format, 2, 44100);
  ASSERT_EQ(device.Open(format), 0);
  int reported = 0;
  device.SetBlockDoneHandler([&] { ++reported; });
  for (int i = 0; i < 4; ++i)
    device.Write(reinterpret_cast<const char*>(pcm.data()) + i * kBlockBytes, kBlockBytes);
  QTimer::singleShot(300, &m_app, &QCoreApplication::quit);
  m_app.exec();
  ASSERT_EQ(device.Pause(), 0);
  const int64_t paused = device.BytesPlayed().value_or(-1);
  QTimer::singleShot(200, &m_app, &QCoreApplication::quit);
  m_app.exec();
  EXPECT_EQ(device.BytesPlayed().value_or(-2), paused);
  ASSERT_EQ(device.Restart(), 0);
  ASSERT_EQ(device.Reset(), 0);
  const int before = reported;
  QTimer::singleShot(300, &m_app, &QCoreApplication::quit);
  m_app.exec();
  EXPECT_EQ(reported, before);                      // discarded blocks are never reported
  EXPECT_EQ(device.BytesPlayed().value_or(-1), 0);  // the position restarts with the reset
}

// Run with no server reachable (see CMakeLists): opening fails at once and
// every other call stays harmless, so PLAY can report the error and go on.
TEST(QtWaveOutDeviceWithoutServer, OpenFailsWithoutHanging) {
  if (std::getenv("VELMIO_NO_AUDIO_SERVER") == nullptr)
    GTEST_SKIP() << "an audio server is running";
  int argc = 1;
  char name[] = "sound_output";
  char* argv[] = {name};
  QCoreApplication app(argc, argv);
  QtWaveOutDevice device;
  WaveFormat format;
  MakePcm16Format(format, 2, 44100);
  EXPECT_NE(device.Open(format), 0);
  EXPECT_FALSE(device.IsOpen());
  const int16_t silence[4] = {};
  EXPECT_NE(device.Write(silence, sizeof silence), 0);
  EXPECT_NE(device.Pause(), 0);
  EXPECT_FALSE(device.BytesPlayed().has_value());
  device.Close();
}

}  // namespace
}  // namespace velmio
