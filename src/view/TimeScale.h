#pragma once
// The zoom in time: how many analysis frames one picture column shows, or how
// many columns one frame fills. Everything that turns a frame into a column or
// a column into a frame (body, grids, cursor, loop markers, pitch curve,
// formants, clicks, read-out) goes through this one mapping, so that overlays
// stay on the frames they mark at every zoom.
//
// Zoom steps as the user counts them: 1 is one frame per column (the picture
// as it has always been), 2 and 4 stretch each frame over 2 or 4 columns, and
// -2 ... -32 show 2 ... 32 frames per column (each column the loudest of them).
#include <cstdint>

namespace velmio {

constexpr int kZoomSteps[] = {-32, -16, -8, -4, -2, 1, 2, 4};
constexpr int kDefaultZoomStep = 1;

// True for the steps above; -1 is taken as 1 (one frame per column).
bool IsZoomStep(int step);

class TimeScale {
 public:
  TimeScale() = default;
  // From a zoom step; anything not in kZoomSteps gives one frame per column.
  static TimeScale FromStep(int step);

  int Step() const { return m_framesPerColumn > 1 ? -m_framesPerColumn : m_columnsPerFrame; }
  int32_t FramesPerColumn() const { return m_framesPerColumn; }
  int32_t ColumnsPerFrame() const { return m_columnsPerFrame; }
  bool IsIdentity() const { return m_framesPerColumn == 1 && m_columnsPerFrame == 1; }

  // The content column (from the left edge of the body) where `frame` starts;
  // negative frames round toward earlier columns.
  int64_t ColumnOfFrame(int64_t frame) const;
  // The first frame shown in content column `column`.
  int64_t FrameOfColumn(int64_t column) const;
  // Columns needed for `frames` frames (the last column may show fewer).
  int32_t ColumnCount(int32_t frames) const;
  // Frames per column as a float (below 1 when zoomed in), for the time grid.
  float FramesPerColumnF() const;

  bool operator==(const TimeScale&) const = default;

 private:
  int32_t m_framesPerColumn = 1;
  int32_t m_columnsPerFrame = 1;
};

// The next step in (direction > 0) or out (direction < 0) from `step`,
// staying at the ends.
int NextZoomStep(int step, int direction);

}  // namespace velmio
