#include "audio/FfmpegDecoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

#include <array>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <vector>

#include "audio/PathNames.h"
#include "audio/WaveFile.h"

namespace velmio {
namespace {

constexpr std::array<std::string_view, 14> kAudioExtensions = {
    ".wav", ".mp3", ".mp4",  ".m4a",  ".aac", ".flv",  ".flac",
    ".ogg", ".oga", ".opus", ".aiff", ".aif", ".webm", ".wma"};

// The data chunk's size is a 32-bit field that the reader takes as signed.
constexpr int64_t kMaxDataBytes = std::numeric_limits<int32_t>::max() - 64;

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

struct FormatCloser {
  void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecCloser {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct ResamplerCloser {
  void operator()(SwrContext* s) const { swr_free(&s); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

// The input side of the conversion as the decoder delivers it; a change
// mid-stream (some streams switch layout or rate) makes a new resampler.
struct InputShape {
  AVChannelLayout layout{};
  int format = -1;
  int rate = 0;

  bool Matches(const AVFrame& f) const {
    return f.format == format && f.sample_rate == rate &&
           av_channel_layout_compare(&f.ch_layout, &layout) == 0;
  }
};

class WavDecoder {
 public:
  WavDecoder(const std::string& source, const std::string& target, const std::atomic<bool>* cancel)
      : m_source(source), m_target(target), m_cancel(cancel), m_wave([this](const std::string& m) {
          if (m_error.empty()) m_error = m;
        }) {}
  ~WavDecoder() { av_channel_layout_uninit(&m_shape.layout); }

  // Empty on success, else why the file could not be decoded.
  std::string Run() {
    if (!Open() || !DecodeAll()) return m_error;
    if (m_wave.IsOpen() && m_wave.Close() != 0 && m_error.empty())
      m_error = "cannot write the WAV file";
    if (m_error.empty() && m_bytesWritten == 0) m_error = "no audio samples in the file";
    return m_error;
  }

 private:
  bool Fail(const std::string& reason) {
    if (m_error.empty()) m_error = reason;
    return false;
  }
  bool Cancelled() const { return m_cancel != nullptr && m_cancel->load(); }

  bool Open() {
    AVFormatContext* format = avformat_alloc_context();
    if (format == nullptr) return Fail(ErrorText(AVERROR(ENOMEM)));
    format->interrupt_callback = {&WavDecoder::Interrupt, this};
    if (int rc = avformat_open_input(&format, m_source.c_str(), nullptr, nullptr); rc < 0)
      return Fail(ErrorText(rc));
    m_format.reset(format);
    if (int rc = avformat_find_stream_info(format, nullptr); rc < 0) return Fail(ErrorText(rc));
    const AVCodec* codec = nullptr;
    m_stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0) return Fail("no audio stream in the file");
    if (codec == nullptr) return Fail("no decoder for its audio");
    for (unsigned i = 0; i < format->nb_streams; ++i)
      if (static_cast<int>(i) != m_stream) format->streams[i]->discard = AVDISCARD_ALL;
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec) return Fail(ErrorText(AVERROR(ENOMEM)));
    if (int rc = avcodec_parameters_to_context(m_codec.get(), format->streams[m_stream]->codecpar);
        rc < 0)
      return Fail(ErrorText(rc));
    if (int rc = avcodec_open2(m_codec.get(), codec, nullptr); rc < 0) return Fail(ErrorText(rc));
    m_packet.reset(av_packet_alloc());
    m_frame.reset(av_frame_alloc());
    if (!m_packet || !m_frame) return Fail(ErrorText(AVERROR(ENOMEM)));
    return true;
  }

  static int Interrupt(void* self) { return static_cast<WavDecoder*>(self)->Cancelled() ? 1 : 0; }

  bool DecodeAll() {
    while (true) {
      if (Cancelled()) return Fail("cancelled");
      const int rc = av_read_frame(m_format.get(), m_packet.get());
      if (rc == AVERROR_EOF) break;
      if (rc < 0) return Fail(ErrorText(rc));
      const bool ours = m_packet->stream_index == m_stream;
      const int sent = ours ? avcodec_send_packet(m_codec.get(), m_packet.get()) : 0;
      av_packet_unref(m_packet.get());
      // A damaged packet is skipped, as players do; the rest still decodes.
      if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
        return Fail(ErrorText(sent));
      if (ours && !ReceiveFrames()) return false;
    }
    avcodec_send_packet(m_codec.get(), nullptr);
    if (!ReceiveFrames()) return false;
    return Flush();
  }

  bool ReceiveFrames() {
    while (true) {
      const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc == AVERROR_INVALIDDATA) continue;
      if (rc < 0) return Fail(ErrorText(rc));
      const bool ok = Convert(*m_frame);
      av_frame_unref(m_frame.get());
      if (!ok) return false;
    }
  }

  bool Convert(const AVFrame& frame) {
    if (!m_resampler || !m_shape.Matches(frame)) {
      if (m_resampler && !Flush()) return false;
      if (!MakeResampler(frame)) return false;
    }
    return Write(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
  }

  bool MakeResampler(const AVFrame& frame) {
    AVChannelLayout in{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels == 0) {
      av_channel_layout_default(&in, frame.ch_layout.nb_channels > 0
                                         ? frame.ch_layout.nb_channels
                                         : m_codec->ch_layout.nb_channels);
    } else {
      av_channel_layout_copy(&in, &frame.ch_layout);
    }
    if (in.nb_channels <= 0 || frame.sample_rate <= 0) {
      av_channel_layout_uninit(&in);
      return Fail("the audio has no channels or no sample rate");
    }
    // The output is fixed by the first frame: the WAV has one format.
    if (m_outRate == 0) {
      m_outChannels = in.nb_channels >= 2 ? 2 : 1;
      m_outRate = frame.sample_rate < kLowestDecodedRate ? kDecodedFallbackRate : frame.sample_rate;
    }
    AVChannelLayout out{};
    av_channel_layout_default(&out, m_outChannels);
    SwrContext* swr = nullptr;
    const int rc = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, m_outRate, &in,
                                       static_cast<AVSampleFormat>(frame.format), frame.sample_rate,
                                       0, nullptr);
    av_channel_layout_uninit(&out);
    m_resampler.reset(swr);
    av_channel_layout_uninit(&m_shape.layout);
    av_channel_layout_copy(&m_shape.layout, &frame.ch_layout);
    m_shape.format = frame.format;
    m_shape.rate = frame.sample_rate;
    av_channel_layout_uninit(&in);
    if (rc < 0) return Fail(ErrorText(rc));
    if (int init = swr_init(swr); init < 0) return Fail(ErrorText(init));
    return OpenTarget();
  }

  bool OpenTarget() {
    if (m_wave.IsOpen()) return true;
    MakePcm16Format(m_wave.format, m_outChannels, m_outRate);
    return m_wave.OpenWrite(m_target) == 0 ||
           Fail(m_error.empty() ? "cannot create the WAV file" : m_error);
  }

  // Converts `count` input samples (none: drains the resampler) and appends them.
  bool Write(const uint8_t** input, int count) {
    const int room = swr_get_out_samples(m_resampler.get(), count);
    if (room < 0) return Fail(ErrorText(room));
    if (room == 0) return true;
    m_block.resize(static_cast<std::size_t>(room) * m_outChannels);
    auto* out = reinterpret_cast<uint8_t*>(m_block.data());
    const int made = swr_convert(m_resampler.get(), &out, room, input, count);
    if (made < 0) return Fail(ErrorText(made));
    const int64_t bytes = int64_t{made} * m_outChannels * 2;
    if (m_bytesWritten + bytes > kMaxDataBytes) return Fail("the audio is too long for a WAV file");
    if (bytes > 0 && m_wave.WriteData(m_block.data(), bytes) != bytes)
      return Fail(m_error.empty() ? "cannot write the WAV file" : m_error);
    m_bytesWritten += bytes;
    return true;
  }

  bool Flush() { return !m_resampler || Write(nullptr, 0); }

  const std::string& m_source;
  const std::string& m_target;
  const std::atomic<bool>* m_cancel;
  std::string m_error;
  CWaveFile m_wave;
  std::unique_ptr<AVFormatContext, FormatCloser> m_format;
  std::unique_ptr<AVCodecContext, CodecCloser> m_codec;
  std::unique_ptr<SwrContext, ResamplerCloser> m_resampler;
  std::unique_ptr<AVPacket, PacketFreer> m_packet;
  std::unique_ptr<AVFrame, FrameFreer> m_frame;
  InputShape m_shape;
  int m_stream = -1;
  int m_outChannels = 0;
  int m_outRate = 0;
  int64_t m_bytesWritten = 0;
  std::vector<int16_t> m_block;
};

}  // namespace

std::span<const std::string_view> AudioFileExtensions() {
  return kAudioExtensions;
}

bool IsAudioFilePath(std::string_view path) {
  for (std::string_view extension : kAudioExtensions)
    if (HasExtension(path, extension)) return true;
  return false;
}

bool DecodeToWav(const std::string& source, const std::string& target, const ReportFn& report,
                 const std::atomic<bool>* cancel) {
  av_log_set_level(AV_LOG_QUIET);  // the reason reaches the user in the message instead
  // Written beside the target and renamed at the end, so that a failure
  // leaves an earlier target (the WAV of the recording still loaded) intact.
  const std::string partial = target + ".part";
  std::string error;
  {
    WavDecoder decoder(source, partial, cancel);
    error = decoder.Run();
  }
  std::error_code ec;
  if (error.empty()) {
    std::filesystem::rename(partial, target, ec);
    if (ec) error = "cannot rename the WAV file: " + ec.message();
  }
  if (error.empty()) return true;
  std::filesystem::remove(partial, ec);
  if (report) report("Cannot decode " + source + ": " + error);
  return false;
}

}  // namespace velmio
