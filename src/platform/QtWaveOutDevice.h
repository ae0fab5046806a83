#pragma once
// The sound output on Qt Multimedia: a QAudioSink in push mode fed from the
// UI thread. Blocks are copied into the sink as it has room; a 15 ms poll on
// the UI thread feeds the rest and reports the blocks that have been heard,
// judged by the sink's processed time less what still waits in its buffer.
#include <QAudioSink>
#include <QTimer>
#include <array>
#include <memory>

#include "audio/WaveOutDevice.h"

namespace velmio {

class QtWaveOutDevice : public WaveOutDevice {
 public:
  QtWaveOutDevice();
  ~QtWaveOutDevice() override;

  void SetBlockDoneHandler(std::function<void()> handler) override;
  int Open(const WaveFormat& format) override;
  bool IsOpen() const override { return m_sink != nullptr; }
  int Write(const void* data, int32_t bytes) override;
  int Pause() override;
  int Restart() override;
  int Reset() override;
  std::optional<int64_t> BytesPlayed() const override;
  void Close() override;

 private:
  struct Block {
    const char* data;
    int64_t bytes;
    int64_t end;  // stream offset just past the block
  };

  bool StartSink();
  void Poll();
  void Feed();
  int64_t HeardBytes() const;
  void ReportFinished(int64_t heard);

  std::unique_ptr<QAudioSink> m_sink;
  QIODevice* m_io = nullptr;
  QTimer m_poll;
  WaveFormat m_format{};
  // Written, not yet reported: a fixed ring, so that playback allocates
  // nothing per block (playback keeps at most four blocks queued).
  static constexpr std::size_t kMaxQueued = 16;
  std::array<Block, kMaxQueued> m_blocks{};
  std::size_t m_firstBlock = 0;
  std::size_t m_queued = 0;
  const Block& QueuedBlock(std::size_t i) const {
    return m_blocks[(m_firstBlock + i) % kMaxQueued];
  }
  int64_t m_written = 0;  // stream bytes accepted by Write
  int64_t m_fed = 0;      // stream bytes handed to the sink
  bool m_paused = false;
  int64_t m_pausedAt = 0;
  std::function<void()> m_blockDone;
};

}  // namespace velmio
