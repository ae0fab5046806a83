// The bar and beat read-out of a tempo grid.
#include <gtest/gtest.h>

#include "engine/TempoGrid.h"

namespace velmio {
namespace {

TEST(TempoGrid, BarAndBeatAtAPosition) {
  struct Case {
    TempoGrid grid;
    int32_t ms;
    int32_t bar, beat;
  };
  const Case cases[] = {
      {{120, 4, 4, 500}, 500, 0, 0},   // beat 0 at the start time
      {{120, 4, 4, 500}, 2500, 1, 0},  // bar 1 four beats later
      {{120, 4, 4, 500}, 2400, 0, 3},
      {{120, 4, 4, 500}, 0, 0, -1},   // before the start: toward zero
      {{120, 3, 4, 0}, 10000, 6, 2},  // 20 beats of 3
      {{120, 5, 4, 0}, 10000, 4, 0},  // a bar length from a file, not in the list
      {{90, 0, 4, 0}, 2000, 3, 0},    // no bar of 0 beats: one beat a bar
      {{2000000000, 1, 4, 0}, 1000000, 2147483647, 2147483647},  // counts stop at the int32 range
  };
  for (const Case& c : cases) {
    const BarAndBeat at = c.grid.At(c.ms);
    EXPECT_EQ(at.bar, c.bar) << c.grid.tempo << "/" << c.grid.beatsPerBar << " at " << c.ms;
    EXPECT_EQ(at.beat, c.beat) << c.grid.tempo << "/" << c.grid.beatsPerBar << " at " << c.ms;
  }
}

}  // namespace
}  // namespace velmio
