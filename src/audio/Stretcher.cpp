// The Rubber Band stretcher behind slower / faster playback and transposition.
#include "audio/Stretcher.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>

namespace velmio {

namespace {

using RubberBand::RubberBandStretcher;

// Real-time mode so that the sound is made as it is played; the R3 engine for
// the best sound; one thread, because the caller already runs in time with
// the output; channels together, so a stereo image stays where it was.
constexpr RubberBandStretcher::Options kOptions =
    RubberBandStretcher::OptionProcessRealTime | RubberBandStretcher::OptionEngineFiner |
    RubberBandStretcher::OptionThreadingNever | RubberBandStretcher::OptionChannelsTogether |
    RubberBandStretcher::OptionPitchHighQuality | RubberBandStretcher::OptionFormantShifted;

int16_t ToPcm16(float value) {
  const long sample = std::lrint(value * 32768.0f);
  return static_cast<int16_t>(std::clamp<long>(sample, -32768, 32767));
}

}  // namespace

double StretchSettings::PitchScale() const {
  return std::pow(2.0, (semitones * 100.0 + cents) / 1200.0);
}

StretchSettings ClampStretch(const StretchSettings& settings) {
  StretchSettings clamped;
  clamped.speedPercent = std::isfinite(settings.speedPercent)
                             ? std::clamp(settings.speedPercent, kMinSpeedPercent, kMaxSpeedPercent)
                             : 100.0;
  clamped.semitones =
      std::clamp(settings.semitones, -kMaxTransposeSemitones, kMaxTransposeSemitones);
  clamped.cents = std::clamp(settings.cents, -kMaxTransposeCents, kMaxTransposeCents);
  return clamped;
}

double StepSpeed(double speedPercent, int direction) {
  constexpr double kStep = 5.0;
  // A speed a hair off the grid (typed, or from rounding) counts as on it.
  const double steps = speedPercent / kStep;
  const double next =
      direction < 0 ? std::ceil(steps - 1e-6) - 1.0 : std::floor(steps + 1e-6) + 1.0;
  return std::clamp(next * kStep, kMinSpeedPercent, kMaxSpeedPercent);
}

Stretcher::Stretcher(int32_t channels, int32_t sampleRate)
    : m_channels(std::clamp(channels, 1, 2)),
      m_sampleRate(sampleRate),
      m_planes(static_cast<size_t>(2 * m_channels * kFeedFrames)),
      m_readBuffer(static_cast<size_t>(m_channels * kFeedFrames)) {
  RubberBandStretcher::setDefaultDebugLevel(0);
  // Outside the rates the stretcher handles, its nearest one: speed and
  // transposition are ratios, so they stay right.
  const int32_t rate = std::clamp(sampleRate, 8000, 192000);
  m_stretcher = std::make_unique<RubberBandStretcher>(rate, m_channels, kOptions);
  m_stretcher->setMaxProcessSize(kFeedFrames);
}

Stretcher::~Stretcher() = default;

void Stretcher::Start(const StretchSettings& settings) {
  m_stretcher->reset();
  m_stretcher->setTimeRatio(settings.TimeRatio());
  m_stretcher->setPitchScale(settings.PitchScale());
  m_timeRatio = settings.TimeRatio();
  m_inputEnded = false;
  m_inputFrames = 0;
  m_outputFrames = 0;
  // The stretcher's window reaches before the first sample: silence there,
  // and its delay cut from the output, keep output and input in step.
  FeedSilence(static_cast<int32_t>(m_stretcher->getPreferredStartPad()));
  m_toDrop = static_cast<int64_t>(m_stretcher->getStartDelay());
}

void Stretcher::FeedSilence(int32_t frames) {
  float* planes[2] = {m_planes.data(), m_planes.data() + kFeedFrames};
  std::fill_n(m_planes.data(), m_channels * kFeedFrames, 0.0f);
  while (frames > 0) {
    const int32_t n = std::min(frames, kFeedFrames);
    m_stretcher->process(planes, static_cast<size_t>(n), false);
    frames -= n;
  }
}

void Stretcher::Feed(const int16_t* interleaved, int32_t frames) {
  float* planes[2] = {m_planes.data(), m_planes.data() + kFeedFrames};
  for (int32_t i = 0; i < frames; ++i) {
    for (int32_t c = 0; c < m_channels; ++c)
      planes[c][i] = interleaved[i * m_channels + c] * (1.0f / 32768.0f);
  }
  m_stretcher->process(planes, static_cast<size_t>(frames), false);
  m_inputFrames += frames;
}

int32_t Stretcher::Take(int16_t* out, int32_t frames) {
  float* planes[2] = {m_planes.data() + m_channels * kFeedFrames,
                      m_planes.data() + (m_channels + 1) * kFeedFrames};
  const int64_t available = m_stretcher->available();
  if (m_toDrop > 0) {
    const auto n = static_cast<size_t>(std::min<int64_t>({available, m_toDrop, kFeedFrames}));
    m_toDrop -= static_cast<int64_t>(m_stretcher->retrieve(planes, n));
    return 0;
  }
  const auto wanted = static_cast<size_t>(std::min<int64_t>({available, frames, kFeedFrames}));
  const auto n = static_cast<int32_t>(m_stretcher->retrieve(planes, wanted));
  m_outputFrames += n;
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t c = 0; c < m_channels; ++c) out[i * m_channels + c] = ToPcm16(planes[c][i]);
  }
  return n;
}

int32_t Stretcher::Render(int16_t* out, int32_t frames, StretchInput& input) {
  int32_t produced = 0;
  while (produced < frames) {
    int32_t wanted = frames - produced;
    if (m_inputEnded) {
      // The output ends exactly where the source's last frame does at this
      // speed; the stretcher's tail is pushed out with silence.
      const int64_t left = std::llround(m_inputFrames * m_timeRatio) - m_outputFrames;
      if (left <= 0) break;
      wanted = static_cast<int32_t>(std::min<int64_t>(wanted, left));
    }
    if (m_stretcher->available() > 0) {
      produced += Take(out + static_cast<size_t>(produced) * m_channels, wanted);
      continue;
    }
    const auto required = static_cast<int32_t>(m_stretcher->getSamplesRequired());
    const int32_t feed = std::clamp(required, 1, kFeedFrames);
    if (m_inputEnded) {
      FeedSilence(feed);
      continue;
    }
    const int32_t got = std::clamp(input.Read(m_readBuffer.data(), feed), 0, feed);
    m_inputEnded = got == 0;
    Feed(m_readBuffer.data(), got);
  }
  return produced;
}

}  // namespace velmio
