// The zoom in time and moving in time: zoom steps around a point of the
// picture, Home / End, seconds and pages, the time wheel.
#include <algorithm>
#include <cmath>

#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio {
namespace {

constexpr int kWheelStepsPerPage = 10;

}  // namespace

int CTestView::ZoomStep() const {
  return m_display.Scale().Step();
}

int64_t CTestView::ColumnOfFrame(int64_t frame) const {
  return m_display.Scale().ColumnOfFrame(frame);
}

int32_t CTestView::ContentWidth() const {
  return m_display.Scale().ColumnCount(m_analysis.ShownFrameCount()) + kKeyboardWidth;
}

int32_t CTestView::BodyWidth() const {
  return std::max(m_host.GetClientSize().width - kKeyboardWidth, 1);
}

void CTestView::SetZoomStep(int step, int32_t anchorX) {
  if (!IsZoomStep(step)) return;
  const TimeScale before = m_display.Scale();
  const TimeScale after = TimeScale::FromStep(step);
  m_display.SetZoomStep(step);
  if (after == before || m_analysis.ShownFrameCount() <= 0) return;
  // The time under the anchor, in frames with their fraction, stays under it.
  const int32_t anchor = std::max(anchorX - kKeyboardWidth, 0);
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const double frame = double(int64_t{scroll.x} + anchor) * before.FramesPerColumnF();
  const double column = frame / after.FramesPerColumnF();
  ScrollSizes sizes = m_host.GetScrollSizes();
  sizes.contentWidth = ContentWidth();
  m_host.SetScrollSizes(sizes);
  const double target = std::clamp(std::floor(column) - anchor, 0.0, double(sizes.contentWidth));
  m_host.ScrollTo({static_cast<int32_t>(target), scroll.y});
  ForceRender();
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

void CTestView::OnZoomIn() {
  SetZoomStep(NextZoomStep(ZoomStep(), 1), kKeyboardWidth + BodyWidth() / 2);
}

void CTestView::OnZoomOut() {
  SetZoomStep(NextZoomStep(ZoomStep(), -1), kKeyboardWidth + BodyWidth() / 2);
}

void CTestView::OnZoomReset() {
  SetZoomStep(kDefaultZoomStep, kKeyboardWidth + BodyWidth() / 2);
}

void CTestView::ZoomWheel(int notches, int32_t x) {
  int step = ZoomStep();
  for (int i = 0; i < std::abs(notches); ++i) step = NextZoomStep(step, notches);
  SetZoomStep(step, x);
}

void CTestView::ScrollColumnsBy(int64_t columns) {
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const int64_t target = std::clamp<int64_t>(scroll.x + columns, 0, ContentWidth());
  OnHScroll(static_cast<int32_t>(target));
}

void CTestView::ScrollToStart() {
  OnHScroll(0);
}

void CTestView::ScrollToEnd() {
  OnHScroll(ContentWidth());  // the scroll bar stops at the last page
}

void CTestView::ScrollSeconds(int seconds) {
  const int32_t hop = m_recording.HopSize();
  if (hop <= 0) return;
  const int64_t frame = int64_t{seconds} * m_recording.SampleRate() / hop;
  ScrollColumnsBy(ColumnOfFrame(frame));
}

void CTestView::ScrollPages(int pages) {
  ScrollColumnsBy(int64_t{pages} * BodyWidth());
}

void CTestView::ScrollTimeWheel(int notches) {
  ScrollColumnsBy(int64_t{notches} * std::max(BodyWidth() / kWheelStepsPerPage, 1));
}

}  // namespace velmio
