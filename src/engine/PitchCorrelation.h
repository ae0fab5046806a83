#pragma once
// The inner sums of the period estimate: for each lag, the products of the
// segment's head with the segment shifted by that lag, summed one by one in
// single precision. Every build gives the same bits as the scalar loop.
#include <cstdint>

namespace velmio {

// Lags are computed in blocks of up to this many; the last block reads and
// writes up to 16 lags past lagCount.
constexpr int32_t kCorrelationLagBlock = 64;

struct LagSums {
  const float* head;     // `products` samples
  const float* segment;  // read up to firstLag + lagCount + products + kCorrelationLagBlock
  int32_t products;      // D, the products per lag
  int32_t firstLag;
  int32_t lagCount;
  float* out;  // out[i] = sum over k < D of segment[firstLag + i + k] * head[k];
               // room for lagCount rounded up to a multiple of 16
};

// r[i] = num[i] / sqrt(energy[i] * e0) in place of the energies, for i < count
// (room for count rounded up to a multiple of 8). Square roots and divisions
// are correctly rounded in every build, so all give the same bits.
void NormaliseLagsScalar(const float* num, float e0, int32_t count, float* energyToR);
void NormaliseLagsAvx2(const float* num, float e0, int32_t count, float* energyToR);

// Rounds n up to a multiple of 8.
constexpr int32_t RoundUpTo8(int32_t n) {
  return (n + 7) & ~7;
}

void SumLagsScalar(const LagSums& sums);
void SumLagsAvx2(const LagSums& sums);
void SumLagsAvx512(const LagSums& sums);
// The processor runs the AVX-512 build (checked once).
bool HasAvx512Lags();

}  // namespace velmio
