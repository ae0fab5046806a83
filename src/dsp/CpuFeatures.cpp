#include "dsp/CpuFeatures.h"

#include <cstdlib>
#include <cstring>

namespace velmio {
namespace {

SimdLevel DetectHardware() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return SimdLevel::kAvx2Fma;
  if (__builtin_cpu_supports("sse4.2")) return SimdLevel::kSse4;
#endif
  return SimdLevel::kScalar;
}

SimdLevel ApplyOverride(SimdLevel hardware) {
  const char* value = std::getenv("VELMIO_SIMD");
  if (value == nullptr) return hardware;
  SimdLevel wanted = hardware;
  if (std::strcmp(value, "scalar") == 0) wanted = SimdLevel::kScalar;
  if (std::strcmp(value, "sse4") == 0) wanted = SimdLevel::kSse4;
  return wanted < hardware ? wanted : hardware;
}

}  // namespace

SimdLevel DetectSimdLevel() {
  static const SimdLevel level = ApplyOverride(DetectHardware());
  return level;
}

const char* SimdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::kAvx2Fma:
      return "avx2+fma";
    case SimdLevel::kSse4:
      return "sse4";
    default:
      return "scalar";
  }
}

}  // namespace velmio
