#pragma once
// Built-in decoding of compressed and other non-WAV audio (mp3, mp4/m4a, aac,
// flv, flac, ogg, opus, aiff, webm and whatever else the FFmpeg libraries
// read) into the 16-bit WAV file that the open flow then reads like any
// other recording.
#include <atomic>
#include <span>
#include <string>
#include <string_view>

#include "audio/Report.h"

namespace velmio {

// Rates below this are resampled to kDecodedFallbackRate, which the WAV
// reader accepts; all others are kept.
inline constexpr int kLowestDecodedRate = 22050;
inline constexpr int kDecodedFallbackRate = 44100;

// The extensions (lower case, with the dot) that the open dialog and the
// window's drops offer for built-in decoding, ".wav" first.
std::span<const std::string_view> AudioFileExtensions();
// True when `path` ends in one of AudioFileExtensions(), in any letter case.
bool IsAudioFilePath(std::string_view path);

// Decodes the first audio stream of `source` into a new 16-bit PCM WAV file
// at `target`: one channel stays one, two or more become two (FFmpeg's
// standard down-mix), the rate is kept unless it is below 22.05 kHz. On
// failure reports "Cannot decode <source>: <reason>" and leaves no `target`
// behind. `cancel`, when given and set from another thread, stops the work
// soon (reported as cancelled). Any thread; one call per target at a time.
bool DecodeToWav(const std::string& source, const std::string& target, const ReportFn& report,
                 const std::atomic<bool>* cancel = nullptr);

}  // namespace velmio
