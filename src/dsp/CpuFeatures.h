#pragma once
// Which vector instruction sets the running processor offers. The numeric
// kernels pick their fastest path from this once per call.

namespace velmio {

enum class SimdLevel { kScalar, kSse4, kAvx2Fma };

// The best level this processor supports (detected once, then cached).
// VELMIO_SIMD=scalar|sse4|avx2 lowers it, for tests and comparisons.
SimdLevel DetectSimdLevel();
const char* SimdLevelName(SimdLevel level);

}  // namespace velmio
