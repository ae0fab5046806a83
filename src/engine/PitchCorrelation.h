#pragma once
// The sums of one period estimate: for each lag, the products of the
// segment's head with the segment shifted by that lag, summed one by one in
// single precision, and the energies that normalise them. Every build gives
// the same bits as the scalar loops.
#include <cstdint>

namespace velmio {

// The vector builds read the segment and write the sums up to this many
// floats past what they use.
constexpr int32_t kCorrelationSlack = 64;

struct SegmentSums {
  const float* segment;  // s, mean removed: firstLag + lagCount + products - 1 samples used
  int32_t products;      // D, the products per lag
  int32_t firstLag;
  int32_t lagCount;
  // num[i] = sum over k < D of s[firstLag + i + k] * s[k].
  float* num;
  // energy[i] = the energy of s[firstLag + i ... firstLag + i + D - 1], from
  // 1e-10 + the sum of squares before the first lag by one sample leaving and
  // one entering per lag.
  float* energy;
  // Out: 1e-10 + the sum of s[k]^2 over k < D.
  float e0 = 0.0f;
};

// The chains of additions every build performs in the same order; kept here
// so that no build can round them differently. Internal to each file that
// includes this, as each is compiled for its own instruction set.
namespace {
[[gnu::always_inline]] inline float AddSquare(float sum, float x) {
  return sum + x * x;
}
[[gnu::always_inline]] inline float SlideEnergy(float energy, float leaving, float entering) {
  return energy - leaving * leaving + entering * entering;
}
}  // namespace

void SumSegmentScalar(SegmentSums& sums);
// The energies' chains run inside the vector loops, where they cost nothing.
void SumSegmentAvx2(SegmentSums& sums);
void SumSegmentAvx512(SegmentSums& sums);
// The processor runs the AVX-512 build (checked once).
bool HasAvx512Lags();

// r[i] = num[i] / sqrt(energy[i] * e0) in place of the energies, for i < count
// (room for count rounded up to a multiple of 8). Square roots and divisions
// are correctly rounded in every build, so all give the same bits.
void NormaliseLagsScalar(const float* num, float e0, int32_t count, float* energyToR);
void NormaliseLagsAvx2(const float* num, float e0, int32_t count, float* energyToR);

}  // namespace velmio
