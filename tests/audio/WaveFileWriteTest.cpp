// Writing WAV files: the exact 44-byte header with its final sizes, the pad
// byte of odd data, a written file reading back, and the refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "WavImage.h"
#include "audio/PcmLoading.h"
#include "audio/WaveFile.h"

namespace velmio::test {
namespace {

TEST(WaveFileWrite, MakePcm16FormatDescribes16BitPcm) {
  WaveFormat format;
  format.cbSize = 7;
  MakePcm16Format(format, 2, 48000);
  EXPECT_EQ(format.wFormatTag, 1);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nSamplesPerSec, 48000u);
  EXPECT_EQ(format.nAvgBytesPerSec, 192000u);
  EXPECT_EQ(format.nBlockAlign, 4);
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_EQ(format.cbSize, 0);
}

struct LayoutCase {
  const char* name;
  std::string data;
  uint32_t riffSize;
  std::size_t fileSize;
};

TEST(WaveFileWrite, WritesTheStandardHeaderWithFinalSizesAndPadByte) {
  const std::vector<LayoutCase> cases = {
      {"three mono samples", Samples16({1, -2, 3}), 42, 50},
      {"three bytes: padded", "\x01\x02\x03", 40, 48},
      {"no samples", "", 36, 44},
  };
  TempDir dir;
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    Messages messages;
    CWaveFile wave(messages.Fn());
    MakePcm16Format(wave.format, 1, 44100);
    const std::string path = dir / "out.wav";
    ASSERT_EQ(wave.OpenWrite(path), 0);
    EXPECT_EQ(wave.WriteData(c.data.data(), static_cast<int64_t>(c.data.size())),
              static_cast<int64_t>(c.data.size()));
    EXPECT_EQ(wave.Close(), 0);
    EXPECT_TRUE(messages.list.empty());

    const std::string file = ReadAll(path);
    // Riff() and Chunk() build the same layout independently: fmt of 16 bytes,
    // data with its pad byte, RIFF size counting the pad.
    EXPECT_EQ(file, Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) + Chunk("data", c.data)));
    EXPECT_EQ(file.size(), c.fileSize);
    EXPECT_EQ(file.substr(4, 4), Le32(c.riffSize));
    EXPECT_EQ(file.substr(40, 4), Le32(static_cast<uint32_t>(c.data.size())));
  }
}

TEST(WaveFileWrite, WrittenFileReadsBackThroughLoading) {
  TempDir dir;
  const std::string path = dir / "stereo.wav";
  const std::vector<int16_t> samples = {100, -100, 32767, -32768, 0, 1, -1, 2};
  {
    CWaveFile wave;
    MakePcm16Format(wave.format, 2, 48000);
    ASSERT_EQ(wave.OpenWrite(path), 0);
    // Appended in two pieces, as the converter writes block by block.
    EXPECT_EQ(wave.WriteData(samples.data(), 6), 6);
    EXPECT_EQ(wave.WriteData(samples.data() + 3, 10), 10);
    EXPECT_EQ(wave.Close(), 0);
  }
  Messages messages;
  WaveData data(messages.Fn());
  ASSERT_EQ(data.m_wave.OpenRead(path), 0);
  ASSERT_TRUE(LoadPcm(data, messages.Fn()));
  EXPECT_EQ(data.m_wave.format.nChannels, 2);
  EXPECT_EQ(data.m_wave.format.nSamplesPerSec, 48000u);
  EXPECT_EQ(data.m_wave.dataSize, 16);
  EXPECT_EQ(std::vector<int16_t>(data.m_samples.begin(), data.m_samples.end()), samples);
  EXPECT_TRUE(messages.list.empty());
}

TEST(WaveFileWrite, RefusesPathsThatCannotBeCreated) {
  TempDir dir;
  struct PathCase {
    std::string path;
    const char* message;
    int code;
  };
  const std::vector<PathCase> cases = {
      {"", "Invalid write file name.", 257},
      {dir / "no-folder/out.wav", "save.wav open error !", 267},
      {dir / "", "save.wav open error !", 259},  // the directory itself
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.path);
    Messages messages;
    CWaveFile wave(messages.Fn());
    MakePcm16Format(wave.format, 1, 44100);
    EXPECT_EQ(wave.OpenWrite(c.path), c.code);
    EXPECT_EQ(messages.list, std::vector<std::string>{c.message});
    EXPECT_FALSE(wave.IsOpen());
  }
}

TEST(WaveFileWrite, SecondOpenIsRefused) {
  TempDir dir;
  Messages messages;
  CWaveFile wave(messages.Fn());
  MakePcm16Format(wave.format, 1, 44100);
  ASSERT_EQ(wave.OpenWrite(dir / "a.wav"), 0);
  EXPECT_EQ(wave.OpenWrite(dir / "b.wav"), 259);
  EXPECT_EQ(wave.OpenRead(dir / "a.wav"), 259);
  EXPECT_EQ(messages.list, (std::vector<std::string>{"Wave write file is already open.",
                                                     "Wave read file is already open."}));
  EXPECT_FALSE(std::filesystem::exists(dir / "b.wav"));
}

TEST(WaveFileWrite, FullDiskDoesNotPassUnnoticed) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Messages messages;
  CWaveFile wave(messages.Fn());
  MakePcm16Format(wave.format, 1, 44100);
  // Buffered writes may only fail when flushed: at a seek in the header, or at Close.
  const int opened = wave.OpenWrite("/dev/full");
  const std::string samples(10000, '\x01');
  wave.WriteData(samples.data(), static_cast<int64_t>(samples.size()));
  const int closed = wave.Close();
  EXPECT_TRUE(opened != 0 || closed != 0);
  ASSERT_FALSE(messages.list.empty());
  EXPECT_EQ(messages.list.back(), "mmioClose() failed.");
}

}  // namespace
}  // namespace velmio::test
