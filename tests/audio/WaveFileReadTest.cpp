// Opening WAV files for reading: where the chunks may lie, what the format
// record holds, how sample reads are bounded, and how each broken file is
// refused (one message, the code of the step that fails, no crash).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WavImage.h"
#include "audio/WaveFile.h"

namespace velmio::test {
namespace {

const std::string kSamples = Samples16({1, -2, 3, -4});

std::string ExtensibleFmtBody() {
  // The PCM record, cbSize 22, then valid bits, channel mask and a sub-format GUID.
  FmtFields f = Pcm(1, 44100, 16);
  f.tag = 0xFFFE;
  return FmtBody(f) + Le16(22) + Le16(16) + Le32(4) + std::string(16, '\x11');
}

struct LayoutCase {
  const char* name;
  std::string image;
  uint16_t tag;
  uint16_t cbSize;
};

TEST(WaveFileRead, FindsFormatAndDataWhereverTheyLie) {
  const std::string fmt = Chunk("fmt ", FmtBody(Pcm(1, 44100, 16)));
  const std::string data = Chunk("data", kSamples);
  const std::vector<LayoutCase> cases = {
      {"fmt then data", fmt + data, 1, 0},
      {"data before fmt", data + fmt, 1, 0},
      {"odd-sized chunks between, each padded",
       fmt + Chunk("LIST", "abc") + Chunk("inst", "1234567") + data + Chunk("smpl", "x"), 1, 0},
      {"a chunk before fmt", Chunk("bext", "12345") + fmt + data, 1, 0},
      {"18-byte fmt", Chunk("fmt ", FmtBody(Pcm(1, 44100, 16)) + Le16(0)) + data, 1, 0},
      {"extensible fmt: only its first 18 bytes count", Chunk("fmt ", ExtensibleFmtBody()) + data,
       0xFFFE, 22},
  };
  TempDir dir;
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    Messages messages;
    CWaveFile wave(messages.Fn());
    ASSERT_EQ(wave.OpenRead(dir.Write("layout.wav", Riff(c.image))), 0);
    EXPECT_EQ(wave.format.wFormatTag, c.tag);
    EXPECT_EQ(wave.format.nChannels, 1);
    EXPECT_EQ(wave.format.nSamplesPerSec, 44100u);
    EXPECT_EQ(wave.format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(wave.format.nBlockAlign, 2);
    EXPECT_EQ(wave.format.wBitsPerSample, 16);
    EXPECT_EQ(wave.format.cbSize, c.cbSize);
    EXPECT_EQ(wave.dataSize, 8);
    std::string read(8, '\0');
    EXPECT_EQ(wave.ReadData(read.data(), 8), 8);
    EXPECT_EQ(read, kSamples);
    EXPECT_EQ(wave.Close(), 0);
    EXPECT_TRUE(messages.list.empty());
  }
}

TEST(WaveFileRead, SixteenByteFmtLeavesCbSizeZeroNotTheNextChunksBytes) {
  // Reading 18 bytes here would take "da" of the data chunk's id as cbSize.
  TempDir dir;
  CWaveFile wave;
  ASSERT_EQ(wave.OpenRead(dir.Write("a.wav", WavImage(Pcm(1, 44100, 16), kSamples))), 0);
  EXPECT_EQ(wave.format.cbSize, 0);
}

TEST(WaveFileRead, ReadsInPiecesAndNeverPastTheDataChunk) {
  TempDir dir;
  const std::string image =
      Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) + Chunk("data", kSamples) +
           Chunk("LIST", "trailing bytes that are not samples"));
  CWaveFile wave;
  ASSERT_EQ(wave.OpenRead(dir.Write("a.wav", image)), 0);
  EXPECT_EQ(wave.DataBytesLeft(), 8);
  std::string read(100, '\0');
  EXPECT_EQ(wave.ReadData(read.data(), 3), 3);
  EXPECT_EQ(wave.DataBytesLeft(), 5);
  EXPECT_EQ(wave.ReadData(read.data() + 3, 97), 5);
  EXPECT_EQ(read.substr(0, 8), kSamples);
  EXPECT_EQ(wave.ReadData(read.data(), 97), 0);
}

TEST(WaveFileRead, DataCutShortByTheEndOfTheFileOpensButReadsShort) {
  // A download cut off in the samples: the RIFF and data sizes both claim more.
  TempDir dir;
  const std::string image = RawChunk(
      "RIFF", 1000,
      "WAVE" + Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) + RawChunk("data", 900, kSamples));
  CWaveFile wave;
  ASSERT_EQ(wave.OpenRead(dir.Write("cut.wav", image)), 0);
  EXPECT_EQ(wave.dataSize, 900);
  EXPECT_EQ(wave.DataBytesLeft(), 8);
  std::string read(900, '\0');
  EXPECT_EQ(wave.ReadData(read.data(), 900), 8);
}

struct FailureCase {
  const char* name;
  std::string image;
  const char* message;
  int code;
};

TEST(WaveFileRead, RefusesBrokenFilesAtTheStepThatFails) {
  const std::string fmt = Chunk("fmt ", FmtBody(Pcm(1, 44100, 16)));
  const std::string data = Chunk("data", kSamples);
  const char* kWave = "mmioDescend(WAVE) failed.";
  const char* kFmt = "mmioDescend(fmt ) failed.";
  const char* kRead = "mmioRead() failed.";
  const char* kData = "mmioDescend(data) failed.";
  const std::vector<FailureCase> cases = {
      {"empty file", "", kWave, 265},
      {"not RIFF", "RIFX" + Riff(fmt + data).substr(4), kWave, 265},
      {"another form type", Riff(fmt + data, "AVI "), kWave, 265},
      {"RIFF too small for its form type", RawChunk("RIFF", 2, "WAVE"), kWave, 265},
      {"no fmt", Riff(data), kFmt, 265},
      {"fmt outside the RIFF form", RawChunk("RIFF", 4, "WAVE") + fmt + data, kFmt, 265},
      {"chunk before fmt runs past the end",
       Riff(RawChunk("JUNK", 0x7FFFFFF0, "junk") + fmt + data), kFmt, 265},
      {"fmt shorter than the PCM record",
       Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16)).substr(0, 14)) + data), kRead, 261},
      {"file ends inside fmt", RawChunk("RIFF", 100, "WAVE" + RawChunk("fmt ", 16, "1234567890")),
       kRead, 261},
      {"no data", Riff(fmt + Chunk("LIST", "info")), kData, 265},
      {"data chunk of 2 GiB", Riff(fmt + RawChunk("data", 0x80000000u, kSamples)), kData, 272},
  };
  TempDir dir;
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Messages messages;
    CWaveFile wave(messages.Fn());
    EXPECT_EQ(wave.OpenRead(dir.Write("broken.wav", c.image)), c.code);
    EXPECT_EQ(messages.list, std::vector<std::string>{c.message});
    // The file stays open until the caller closes it, and closing says nothing more.
    EXPECT_TRUE(wave.IsOpen());
    EXPECT_EQ(wave.Close(), 0);
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(messages.list.size(), 1u);
  }
}

TEST(WaveFileRead, RefusesPathsThatCannotBeOpened) {
  TempDir dir;
  struct PathCase {
    std::string path;
    const char* message;
    int code;
  };
  const std::vector<PathCase> cases = {
      {"", "Invalid read file name.", 257},
      {dir / "missing.wav", "mmioOpen(MMIO_READ) failed.", 257},
      {dir / "no-folder/missing.wav", "mmioOpen(MMIO_READ) failed.", 267},
      {dir / "", "mmioOpen(MMIO_READ) failed.", 259},  // the directory itself
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.path);
    Messages messages;
    CWaveFile wave(messages.Fn());
    EXPECT_EQ(wave.OpenRead(c.path), c.code);
    EXPECT_EQ(messages.list, std::vector<std::string>{c.message});
    EXPECT_FALSE(wave.IsOpen());
    EXPECT_EQ(wave.dataSize, 0);
  }
}

TEST(WaveFileRead, SecondOpenIsRefusedUntilClosed) {
  TempDir dir;
  const std::string path = dir.Write("a.wav", WavImage(Pcm(1, 44100, 16), kSamples));
  Messages messages;
  CWaveFile wave(messages.Fn());
  ASSERT_EQ(wave.OpenRead(path), 0);
  EXPECT_EQ(wave.OpenRead(path), 259);
  EXPECT_EQ(wave.OpenWrite(dir / "out.wav"), 259);
  EXPECT_EQ(messages.list, (std::vector<std::string>{"Wave read file is already open.",
                                                     "Wave write file is already open."}));
  EXPECT_EQ(wave.Close(), 0);
  EXPECT_EQ(wave.Close(), 0);
  EXPECT_EQ(wave.OpenRead(path), 0);
  EXPECT_EQ(messages.list.size(), 2u);
}

}  // namespace
}  // namespace velmio::test
