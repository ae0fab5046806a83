// Real-world WAV files from public test suites (kept outside the repository):
// the headers other programs write load, the formats the program cannot use
// are refused with its message, and fuzzed files are refused without a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "WavImage.h"
#include "audio/PcmLoading.h"

namespace velmio::test {
namespace {

struct Loaded {
  bool ok = false;
  std::vector<std::string> messages;
};

// Opens and loads one file the way the open flow does.
Loaded OpenAndLoad(WaveData& data, Messages& messages, const std::string& path) {
  Loaded result;
  if (data.m_wave.OpenRead(path) == 0) result.ok = LoadPcm(data, messages.Fn());
  result.messages = messages.list;
  return result;
}

struct AcceptedCase {
  const char* file;
  uint16_t channels;
  uint32_t rate;
  int32_t sourceBits;
  int32_t dataSize;  // after conversion to 16 bits
  std::vector<int16_t> first;
};

TEST(WavFixtures, LoadsHeadersThatOtherProgramsWrite) {
  const std::string folder = SharedWavFolder();
  if (folder.empty()) GTEST_SKIP() << "shared WAV fixtures absent";
  const std::vector<int16_t> mono = {2, -3, 5, -7};
  const std::vector<AcceptedCase> cases = {
      {"hound/testsamples/pcmwaveformat-16bit-44100Hz-mono.wav", 1, 44100, 16, 8, mono},
      {"hound/testsamples/pcmwaveformat-16bit-44100Hz-mono-extra.wav", 1, 44100, 16, 8, mono},
      {"hound/testsamples/waveformatex-16bit-44100Hz-mono.wav", 1, 44100, 16, 8, mono},
      {"hound/testsamples/waveformatex-16bit-44100Hz-mono-extra.wav", 1, 44100, 16, 8, mono},
      {"hound/testsamples/waveformatex-16bit-44100Hz-stereo.wav",
       2,
       44100,
       16,
       16,
       {2, -3, 5, -7, 11, -13, 17, -19}},
      // -17, 4194319, -6291437, 8355817 in 24-bit units, divided by 256 toward zero.
      {"hound/testsamples/waveformatextensible-24bit-192kHz-mono.wav",
       1,
       192000,
       24,
       8,
       {0, 16384, -24575, 32639}},
      {"hound/testsamples/pop.wav", 1, 44100, 16, 200, {}},
      {"hound/testsamples/nonstandard-01.wav", 2, 48000, 24, 4, {}},
      {"go-audio/fixtures/kick-16b441k.wav", 2, 44100, 16, 31128, {}},
      {"go-audio/fixtures/flloop.wav", 2, 44100, 16, 433124, {}},
      {"go-audio/fixtures/dirty-kick-24b441k.wav", 2, 44100, 24, 85360, {}},
      {"go-audio/fixtures/listChunkInHeader.wav", 2, 44100, 24, 61272, {}},
      // 12.8 s of 24-bit stereo at 44.1 kHz.
      {"go-audio/fixtures/misaligned-chunk.wav", 2, 44100, 24, 2257920, {}},
      {"go-audio/fixtures/bwf.wav", 1, 44100, 24, 14574, {}},
  };
  for (const AcceptedCase& c : cases) {
    SCOPED_TRACE(c.file);
    Messages messages;
    WaveData data(messages.Fn());
    const Loaded loaded = OpenAndLoad(data, messages, folder + "/" + c.file);
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.messages.empty());
    const WaveFormat& f = data.m_wave.format;
    EXPECT_EQ(f.nChannels, c.channels);
    EXPECT_EQ(f.nSamplesPerSec, c.rate);
    EXPECT_EQ(f.wBitsPerSample, 16);
    EXPECT_EQ(f.nBlockAlign, c.channels * 2);
    EXPECT_EQ(f.nAvgBytesPerSec, c.rate * c.channels * 2);
    EXPECT_EQ(data.m_sourceBits, c.sourceBits);
    EXPECT_EQ(data.m_wave.dataSize, c.dataSize);
    ASSERT_GE(data.m_samples.size(), c.first.size());
    EXPECT_EQ(std::vector<int16_t>(data.m_samples.begin(), data.m_samples.begin() + c.first.size()),
              c.first);
  }
}

TEST(WavFixtures, RefusesFormatsTheProgramCannotUse) {
  const std::string folder = SharedWavFolder();
  if (folder.empty()) GTEST_SKIP() << "shared WAV fixtures absent";
  const std::vector<const char*> files = {
      "go-audio/fixtures/8bit.wav",
      "go-audio/fixtures/32bit.wav",
      "hound/testsamples/pcmwaveformat-8bit-44100Hz-mono.wav",
      "hound/testsamples/waveformatex-8bit-11025Hz-mono.wav",
      "hound/testsamples/waveformatex-ieeefloat-44100Hz-mono.wav",
      "hound/testsamples/waveformatextensible-ieeefloat-44100Hz-mono.wav",
      "hound/testsamples/waveformatextensible-32bit-48kHz-stereo.wav",
      "hound/testsamples/waveformatextensible-24bit-4byte-48kHz-stereo.wav",
      "hound/testsamples/pcmwaveformat-24bit-4byte-48kHz-stereo.wav",
      "hound/testsamples/nonstandard-02.wav",
  };
  for (const char* file : files) {
    SCOPED_TRACE(file);
    Messages messages;
    WaveData data(messages.Fn());
    const Loaded loaded = OpenAndLoad(data, messages, folder + "/" + file);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.messages,
              std::vector<std::string>{"16/24bit, 22.05kHz以上のwavファイルのみ有効です。"});
    EXPECT_FALSE(data.m_wave.IsOpen());
  }
}

TEST(WavFixtures, RefusesDataThatStopsInsideAFrame) {
  const std::string folder = SharedWavFolder();
  if (folder.empty()) GTEST_SKIP() << "shared WAV fixtures absent";
  // 11140 data bytes of 24-bit mono: 3713 samples and a stray byte.
  Messages messages;
  WaveData data(messages.Fn());
  const Loaded loaded = OpenAndLoad(data, messages, folder + "/go-audio/fixtures/padded24b.wav");
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.messages, std::vector<std::string>{"File read error."});
  EXPECT_FALSE(data.m_wave.IsOpen());
}

TEST(WavFixtures, RefusesFuzzedFilesWithOneMessage) {
  const std::string folder = SharedWavFolder();
  if (folder.empty()) GTEST_SKIP() << "shared WAV fixtures absent";
  int seen = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(folder + "/hound/testsamples/fuzz")) {
    SCOPED_TRACE(entry.path().filename().string());
    ++seen;
    Messages messages;
    WaveData data(messages.Fn());
    const Loaded loaded = OpenAndLoad(data, messages, entry.path().string());
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.messages.size(), 1u);
    EXPECT_TRUE(data.m_samples.empty());
  }
  EXPECT_GT(seen, 0);
}

}  // namespace
}  // namespace velmio::test
