#include "view/TimeScale.h"

#include <algorithm>
#include <iterator>

namespace velmio {
namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int NormalStep(int step) {
  return step == -1 ? 1 : step;
}

}  // namespace

bool IsZoomStep(int step) {
  step = NormalStep(step);
  return std::find(std::begin(kZoomSteps), std::end(kZoomSteps), step) != std::end(kZoomSteps);
}

TimeScale TimeScale::FromStep(int step) {
  TimeScale scale;
  step = NormalStep(step);
  if (!IsZoomStep(step)) return scale;
  if (step < 0) scale.m_framesPerColumn = -step;
  if (step > 1) scale.m_columnsPerFrame = step;
  return scale;
}

int64_t TimeScale::ColumnOfFrame(int64_t frame) const {
  return FloorDiv(frame, m_framesPerColumn) * m_columnsPerFrame;
}

int64_t TimeScale::FrameOfColumn(int64_t column) const {
  return FloorDiv(column, m_columnsPerFrame) * m_framesPerColumn;
}

int32_t TimeScale::ColumnCount(int32_t frames) const {
  if (frames <= 0) return 0;
  return (frames + m_framesPerColumn - 1) / m_framesPerColumn * m_columnsPerFrame;
}

float TimeScale::FramesPerColumnF() const {
  return static_cast<float>(m_framesPerColumn) / static_cast<float>(m_columnsPerFrame);
}

int NextZoomStep(int step, int direction) {
  const int* begin = std::begin(kZoomSteps);
  const int* end = std::end(kZoomSteps);
  const int* at = std::find(begin, end, NormalStep(step));
  if (at == end) at = std::find(begin, end, kDefaultZoomStep);
  if (direction > 0 && at + 1 != end) ++at;
  if (direction < 0 && at != begin) --at;
  return *at;
}

}  // namespace velmio
