#include "engine/ConstantQRow.h"

namespace velmio {

void ComputeBinRunScalar(const BinRun& run) {
  for (int t = run.frameBegin; t < run.frameEnd; ++t) {
    const float* x = run.signal + WindowStart(t, run.hop, run.decimationShift, run.length);
    float re = 0.0f;
    float im = 0.0f;
    for (int j = 0; j < run.length; ++j) {
      re += x[j] * run.kernelRe[j];
      im += x[j] * run.kernelIm[j];
    }
    run.power[t] = re * re + im * im;
  }
}

}  // namespace velmio
