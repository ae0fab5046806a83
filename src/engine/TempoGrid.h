#pragma once
// The bar-and-beat grid of a recording: a tempo, the beats of a bar and the
// time of the first beat. One value type for everything that places bars and
// beats: the position read-out, the grid lines and their labels, the tempo
// estimate and the analysis data file.
#include <cstdint>

namespace velmio {

struct BarAndBeat {
  int32_t bar = 0;   // bars since the first beat, counted from 0
  int32_t beat = 0;  // beats into that bar, counted from 0
};

struct TempoGrid {
  int32_t tempo = 0;  // beats per minute; 0 = no grid
  int32_t beatsPerBar = 4;
  int32_t beatUnit = 4;  // shown with the metre, not used for placing beats
  int32_t startMs = 0;   // time of beat 0

  bool IsSet() const { return tempo != 0; }
  bool operator==(const TempoGrid&) const = default;

  // Bar and beat at `ms`, in single precision as the read-out shows them
  // (beats before the start count toward zero).
  BarAndBeat At(int32_t ms) const {
    const float beats = (static_cast<float>(ms) - static_cast<float>(startMs)) *
                        static_cast<float>(tempo) * 1.6666667e-5f;
    // A grid read from a file may hold any numbers: no bar of 0 beats, and
    // counts beyond the int32 range stop at its ends.
    const float perBar = static_cast<float>(beatsPerBar > 0 ? beatsPerBar : 1);
    BarAndBeat position;
    position.bar = Truncate(beats * (1.0f / perBar));
    position.beat = Truncate(beats - perBar * static_cast<float>(position.bar));
    return position;
  }

  // Truncation toward zero, kept to the int32 range (NaN gives 0).
  static int32_t Truncate(float v) {
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483648.0f) return -2147483647 - 1;
    return v == v ? static_cast<int32_t>(v) : 0;
  }

  // Beat lines per analysis frame of `secondsPerFrame`, and the frame of
  // beat 0, for drawing the grid.
  float BeatsPerFrame(float secondsPerFrame) const {
    return static_cast<float>(tempo) * 0.016666668f * secondsPerFrame;
  }
  float StartFrame(float secondsPerFrame) const {
    return static_cast<float>(startMs) * 0.001f / secondsPerFrame;
  }
};

// The metre lists of the tempo dialog: beats per bar "2", "3", "4", "6" and
// beat units "2", "4", "8". A value not in its list selects the first entry.
inline int32_t BeatsPerBarOfIndex(int32_t index) {
  constexpr int32_t kValues[] = {2, 3, 4, 6};
  return index >= 0 && index < 4 ? kValues[index] : 2;
}
inline int32_t IndexOfBeatsPerBar(int32_t value) {
  return value == 3 ? 1 : value == 4 ? 2 : value == 6 ? 3 : 0;
}
inline int32_t BeatUnitOfIndex(int32_t index) {
  constexpr int32_t kValues[] = {2, 4, 8};
  return index >= 0 && index < 3 ? kValues[index] : 2;
}
inline int32_t IndexOfBeatUnit(int32_t value) {
  return value == 4 ? 1 : value == 8 ? 2 : 0;
}

}  // namespace velmio
