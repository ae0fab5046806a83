// Loading the PCM of an opened WAV file: the acceptance rule, 24- to 16-bit
// conversion, the format after loading, refusals that leave nothing stale,
// and the stereo mix-down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WavImage.h"
#include "audio/PcmLoading.h"

namespace velmio::test {
namespace {

const char* kAcceptMessage = "16/24bit, 22.05kHz以上のwavファイルのみ有効です。";
const char* kReadError = "File read error.";

std::vector<int16_t> SamplesOf(const WaveData& data) {
  return {data.m_samples.begin(), data.m_samples.begin() + data.m_wave.dataSize / 2};
}

class PcmLoading : public ::testing::Test {
 protected:
  // Writes `image`, opens it into data_ and loads it.
  bool Load(const std::string& image) {
    data_.m_wave.Close();
    if (data_.m_wave.OpenRead(dir_.Write("in.wav", image)) != 0) {
      ADD_FAILURE() << "OpenRead failed";
      return false;
    }
    return LoadPcm(data_, messages_.Fn());
  }

  TempDir dir_;
  Messages messages_;
  WaveData data_{messages_.Fn()};
};

TEST_F(PcmLoading, Keeps16BitSamplesAndTheFileOpen) {
  ASSERT_TRUE(Load(WavImage(Pcm(2, 44100, 16), Samples16({1, -2, 32767, -32768}))));
  EXPECT_EQ(SamplesOf(data_), (std::vector<int16_t>{1, -2, 32767, -32768}));
  EXPECT_EQ(data_.m_sourceBits, 16);
  EXPECT_EQ(data_.m_wave.dataSize, 8);
  EXPECT_TRUE(data_.m_wave.IsOpen());
  EXPECT_TRUE(messages_.list.empty());
}

TEST_F(PcmLoading, Converts24BitSamplesByDividingBy256TowardZero) {
  struct Case {
    int32_t stored;  // the three bytes as an unsigned value
    int16_t expected;
  };
  const std::vector<Case> cases = {
      {0xFF8000, -128}, {0x7FFFFF, 32767}, {0x800000, -32768}, {0xFFFFFF, 0},      {0xFFFEFF, -1},
      {0x000100, 1},    {0x0000FF, 0},     {0xFFFF00, -1},     {0x123456, 0x1234},
  };
  std::string bytes;
  std::vector<int16_t> expected;
  for (const Case& c : cases) {
    bytes += Samples24({c.stored});
    expected.push_back(c.expected);
  }
  ASSERT_TRUE(Load(WavImage(Pcm(1, 44100, 24), bytes)));
  EXPECT_EQ(SamplesOf(data_), expected);
}

TEST_F(PcmLoading, ConvertedFormatDescribes16BitSamples) {
  // 24-bit stereo at 48 kHz, two frames.
  ASSERT_TRUE(
      Load(WavImage(Pcm(2, 48000, 24), Samples24({0x000100, 0x000200, 0x000300, 0x000400}))));
  const WaveFormat& f = data_.m_wave.format;
  EXPECT_EQ(f.wBitsPerSample, 16);
  EXPECT_EQ(f.nBlockAlign, 4);
  EXPECT_EQ(f.nAvgBytesPerSec, 192000u);
  EXPECT_EQ(f.nChannels, 2);
  EXPECT_EQ(data_.m_wave.dataSize, 8);
  EXPECT_EQ(data_.m_sourceBits, 24);
  EXPECT_EQ(SamplesOf(data_), (std::vector<int16_t>{1, 2, 3, 4}));
}

TEST_F(PcmLoading, DerivesAWrongByteRate) {
  FmtFields fields = Pcm(2, 48000, 24);
  fields.byteRate = 12345;
  ASSERT_TRUE(Load(WavImage(fields, Samples24({1, 2}))));
  EXPECT_EQ(data_.m_wave.format.nAvgBytesPerSec, 192000u);
}

struct RefusalCase {
  const char* name;
  std::string image;
  const char* message;
};

FmtFields With(FmtFields f, void (*change)(FmtFields&)) {
  change(f);
  return f;
}

TEST_F(PcmLoading, RefusesAndLeavesNothingStale) {
  const std::string eight = Samples16({1, 2, 3, 4});
  const std::vector<RefusalCase> cases = {
      {"3 channels", WavImage(Pcm(3, 44100, 16), Samples16({1, 2, 3})), kAcceptMessage},
      {"0 channels", WavImage(With(Pcm(1, 44100, 16), [](FmtFields& f) { f.channels = 0; }), eight),
       kAcceptMessage},
      {"8 bits", WavImage(Pcm(1, 44100, 8), eight), kAcceptMessage},
      {"32-bit float", WavImage(With(Pcm(1, 44100, 32), [](FmtFields& f) { f.tag = 3; }), eight),
       kAcceptMessage},
      {"16 kHz", WavImage(Pcm(1, 16000, 16), eight), kAcceptMessage},
      {"a damaged rate of 4 GHz", WavImage(Pcm(1, 4000000000u, 16), eight), kAcceptMessage},
      {"24 bits in 4-byte containers",
       WavImage(With(Pcm(2, 48000, 24), [](FmtFields& f) { f.blockAlign = 8; }), eight + eight),
       kAcceptMessage},
      {"block align 0",
       WavImage(With(Pcm(1, 44100, 16), [](FmtFields& f) { f.blockAlign = 0; }), eight),
       kAcceptMessage},
      {"byte rate beyond 32 bits",
       WavImage(With(Pcm(2, 44100, 24), [](FmtFields& f) { f.rate = 0xFFFFFFFF; }), eight),
       kAcceptMessage},
      {"data cut short by the end of the file",
       Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) + RawChunk("data", 100, eight)), kReadError},
      {"stereo data with one sample too many",
       WavImage(Pcm(2, 44100, 16), Samples16({1, 2, 3, 4, 5})), kReadError},
      {"24-bit data with a stray byte",
       WavImage(Pcm(1, 44100, 24), Samples24({0x000100, 0x000200}) + "\x7f"), kReadError},
      {"data size far beyond the file",
       Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) + RawChunk("data", 0x7FFFFFF0, eight)),
       kReadError},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A good file first, so that a refusal that keeps its samples shows.
    ASSERT_TRUE(Load(WavImage(Pcm(1, 44100, 16), eight)));
    messages_.list.clear();
    EXPECT_FALSE(Load(c.image));
    EXPECT_EQ(messages_.list, std::vector<std::string>{c.message});
    EXPECT_FALSE(data_.m_wave.IsOpen());
    EXPECT_TRUE(data_.m_samples.empty());
    EXPECT_EQ(data_.m_wave.dataSize, 0);
  }
}

TEST_F(PcmLoading, MixesStereoToMonoTruncatingTowardZero) {
  ASSERT_TRUE(Load(WavImage(Pcm(2, 44100, 16), Samples16({1, -2, 3, 4, -3, -4, 32767, 32767, -32768,
                                                          -32768, -32768, 32767}))));
  MixPcmToMono(data_);
  EXPECT_EQ(SamplesOf(data_), (std::vector<int16_t>{0, 3, -3, 32767, -32768, 0}));
  const WaveFormat& f = data_.m_wave.format;
  EXPECT_EQ(f.nChannels, 1);
  EXPECT_EQ(f.nBlockAlign, 2);
  EXPECT_EQ(f.nAvgBytesPerSec, 88200u);
  EXPECT_EQ(data_.m_wave.dataSize, 12);
}

TEST_F(PcmLoading, MixDownLeavesMonoAlone) {
  ASSERT_TRUE(Load(WavImage(Pcm(1, 44100, 16), Samples16({1, -2}))));
  MixPcmToMono(data_);
  EXPECT_EQ(SamplesOf(data_), (std::vector<int16_t>{1, -2}));
  EXPECT_EQ(data_.m_wave.format.nBlockAlign, 2);
  EXPECT_EQ(data_.m_wave.dataSize, 4);
}

}  // namespace
}  // namespace velmio::test
