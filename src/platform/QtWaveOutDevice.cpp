#include "platform/QtWaveOutDevice.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QMediaDevices>
#include <algorithm>

namespace velmio {
namespace {

constexpr int kPollMilliseconds = 15;
constexpr int kOpenFailed = 1;
constexpr int kNotOpen = 5;
constexpr int kQueueFull = 7;
// Enough for the 32 KiB blocks to flow without the sink starving between polls.
constexpr qsizetype kSinkBufferBytes = 64 * 1024;

}  // namespace

QtWaveOutDevice::QtWaveOutDevice() {
  m_poll.setInterval(kPollMilliseconds);
  QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
}

QtWaveOutDevice::~QtWaveOutDevice() {
  Close();
}

void QtWaveOutDevice::SetBlockDoneHandler(std::function<void()> handler) {
  m_blockDone = std::move(handler);
}

int QtWaveOutDevice::Open(const WaveFormat& format) {
  Close();
  m_format = format;
  return StartSink() ? 0 : kOpenFailed;
}

// A fresh sink for the stored format; false when there is no output to play on.
bool QtWaveOutDevice::StartSink() {
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull() || m_format.nChannels == 0 || m_format.nSamplesPerSec == 0) return false;
  QAudioFormat qtFormat;
  qtFormat.setSampleRate(static_cast<int>(m_format.nSamplesPerSec));
  qtFormat.setChannelCount(m_format.nChannels);
  qtFormat.setSampleFormat(QAudioFormat::Int16);
  if (!device.isFormatSupported(qtFormat)) return false;
  m_sink = std::make_unique<QAudioSink>(device, qtFormat);
  m_sink->setBufferSize(kSinkBufferBytes);
  m_io = m_sink->start();
  if (m_io == nullptr || m_sink->error() != QAudio::NoError) {
    m_sink.reset();
    m_io = nullptr;
    return false;
  }
  m_written = m_fed = m_pausedAt = 0;
  m_paused = false;
  m_poll.start();
  return true;
}

int QtWaveOutDevice::Write(const void* data, int32_t bytes) {
  if (!IsOpen()) return kNotOpen;
  if (m_queued == kMaxQueued) return kQueueFull;
  m_written += std::max<int32_t>(bytes, 0);
  m_blocks[(m_firstBlock + m_queued) % kMaxQueued] =
      Block{static_cast<const char*>(data), bytes, m_written};
  ++m_queued;
  Feed();
  return 0;
}

// Hands the sink as much of the queued blocks as it has room for.
void QtWaveOutDevice::Feed() {
  if (m_io == nullptr || m_paused) return;
  for (std::size_t i = 0; i < m_queued; ++i) {
    const Block& block = QueuedBlock(i);
    const int64_t start = block.end - block.bytes;
    if (m_fed >= block.end) continue;
    const qsizetype room = m_sink->bytesFree();
    if (room <= 0) return;
    const int64_t offset = m_fed - start;
    const qint64 chunk = std::min<int64_t>(room, block.bytes - offset);
    const qint64 accepted = m_io->write(block.data + offset, chunk);
    if (accepted <= 0) return;
    m_fed += accepted;
    if (accepted < chunk) return;
  }
}

// What has left the speaker: processed time less what the sink still buffers.
int64_t QtWaveOutDevice::HeardBytes() const {
  if (!IsOpen()) return 0;
  const int64_t blockAlign = std::max<int64_t>(m_format.nBlockAlign, 1);
  const int64_t processed = m_sink->processedUSecs() *
                            static_cast<int64_t>(m_format.nSamplesPerSec) / 1000000 * blockAlign;
  const int64_t buffered = m_sink->bufferSize() - m_sink->bytesFree();
  return std::clamp<int64_t>(processed - std::max<int64_t>(buffered, 0), 0, m_fed);
}

void QtWaveOutDevice::Poll() {
  if (!IsOpen() || m_paused) return;
  Feed();
  int64_t heard = HeardBytes();
  // A sink that ran dry (or lost its output) has played everything it was given.
  const QAudio::State state = m_sink->state();
  if ((state == QAudio::IdleState || state == QAudio::StoppedState) && m_fed == m_written)
    heard = m_fed;
  ReportFinished(heard);
}

void QtWaveOutDevice::ReportFinished(int64_t heard) {
  while (m_queued > 0 && QueuedBlock(0).end <= heard) {
    m_firstBlock = (m_firstBlock + 1) % kMaxQueued;
    --m_queued;
    if (m_blockDone) m_blockDone();  // may write the next block
    if (!IsOpen()) return;
  }
}

int QtWaveOutDevice::Pause() {
  if (!IsOpen()) return kNotOpen;
  m_pausedAt = HeardBytes();
  m_paused = true;
  m_sink->suspend();
  return 0;
}

int QtWaveOutDevice::Restart() {
  if (!IsOpen()) return kNotOpen;
  m_paused = false;
  m_sink->resume();
  Feed();
  return 0;
}

int QtWaveOutDevice::Reset() {
  if (!IsOpen()) return kNotOpen;
  m_poll.stop();
  m_queued = 0;
  m_sink->stop();
  m_sink.reset();
  m_io = nullptr;
  return StartSink() ? 0 : kOpenFailed;
}

std::optional<int64_t> QtWaveOutDevice::BytesPlayed() const {
  if (!IsOpen()) return std::nullopt;
  return m_paused ? m_pausedAt : HeardBytes();
}

void QtWaveOutDevice::Close() {
  m_poll.stop();
  m_queued = 0;
  if (m_sink) m_sink->stop();
  m_sink.reset();
  m_io = nullptr;
  m_written = m_fed = 0;
}

}  // namespace velmio
