#pragma once
// The fixed parts of the analysis file's layout, shared by its writer and its
// reader (not for use outside persist/).
#include <cstddef>
#include <cstdint>

#include "persist/AnalysisFile.h"

namespace velmio::analysis_file {

inline constexpr char kHeaderText[] = "velmio ver 0.89";
static_assert(sizeof(kHeaderText) == 16, "15 header characters and their NUL");
inline constexpr std::size_t kHeaderBytes = sizeof(kHeaderText);
inline constexpr std::size_t kVersionOffset = 11;  // bytes 11..14 hold the version number
inline constexpr std::size_t kVersionBytes = 4;
inline constexpr std::size_t kPathFieldBytes = kAnalysisFileMaxPathBytes + 1;
inline constexpr std::size_t kReservedAfterNotes = 2;   // int32 behind the note range
inline constexpr std::size_t kReservedAfterPath = 16;   // int32 behind the path field
inline constexpr std::size_t kReservedAfterVoice = 14;  // int32 behind the single-voice options

// Bytes from the start of the file to the first cell of the matrix.
inline constexpr std::size_t kMatrixOffset =
    kHeaderBytes + 4 * (5 + kReservedAfterNotes) + kPathFieldBytes + 4 * (kReservedAfterPath + 3);
static_assert(kMatrixOffset == 632);
inline constexpr std::size_t kTempoBytes = 16;
// The pitch flags, ranges and vocal options with their reserved tail.
inline constexpr std::size_t kVoiceBytes = 4 * (7 + kReservedAfterVoice);
static_assert(kVoiceBytes == 84);
// Window state (four int32) and the mark count that follow the pitch track.
inline constexpr std::size_t kPitchStateBytes = 16 + 4;

}  // namespace velmio::analysis_file
