#include "engine/Decimator.h"

namespace velmio {
namespace {

constexpr double kB0 = 2.5736334992920717e-05;
constexpr double kB1 = 1.0294533997168287e-04;
constexpr double kB2 = 1.544180099575243e-04;
constexpr double kA1 = -3.6100330247345265;
constexpr double kA2 = 4.90434491410355;
constexpr double kA3 = -2.9705734016854692;
constexpr double kA4 = 0.676673293676332;
constexpr int kTailSteps = 22;
constexpr int kFirstKept = 19;

// Direct-form filter state: the last four inputs and outputs.
struct LowPassState {
  double x1 = 0, x2 = 0, x3 = 0, x4 = 0;
  double y1 = 0, y2 = 0, y3 = 0, y4 = 0;

  // One step. The y1 feedback term is added last so that the loop-carried
  // dependency is a single multiply-add; the other terms only depend on
  // older outputs. The reordering changes the double-precision sum by a few
  // units in its last place, far below the float the result is stored as.
  float Step(double x) {
    const double partial =
        kB0 * x + kB1 * x1 + kB2 * x2 + kB1 * x3 + kB0 * x4 - kA2 * y2 - kA3 * y3 - kA4 * y4;
    const double y = partial - kA1 * y1;
    x4 = x3;
    x3 = x2;
    x2 = x1;
    x1 = x;
    y4 = y3;
    y3 = y2;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
  }
};

}  // namespace

void DecimateByTwo(int count, const float* input, float* output) {
  LowPassState state;
  const int kept = count / 2;
  int written = 0;
  // Filtered index m is kept when m >= 19 and m - 19 is even.
  for (int m = 0; m < count + kTailSteps && written < kept; ++m) {
    const double x = m < count ? static_cast<double>(input[m]) : 0.0;
    const float y = state.Step(x);
    if (m >= kFirstKept && ((m - kFirstKept) & 1) == 0) output[written++] = y;
  }
}

}  // namespace velmio
