#pragma once
// The vector loop of the correlation sums, shared by the AVX2 and AVX-512
// builds and included only by them, each compiled for its own instruction
// set without contraction into multiply-adds.
//
// The lanes are lags, not products: lane j sums the products of its lag one
// by one in the order of the scalar loop, so every build gives the same
// bits. Up to kMaxBlocks vectors of lags run side by side, which hides the
// latency of the additions, and one broadcast of the head sample serves
// them all; the lags are split into blocks of nearly equal size, so the
// last block is never a lone latency-bound vector. The two chains of the
// energies, which cannot be vectorised, run inside the first two blocks'
// loops, in the slots the vector work leaves free.
#include <algorithm>
#include <cstdint>

#include "engine/PitchCorrelation.h"

namespace velmio {
namespace {

// The energies, advanced one step at a time from inside the vector loops.
// It keeps its own copies of what it reads, so that its stores cannot be
// taken for writes to them and everything stays in registers.
class EnergyChains {
 public:
  explicit EnergyChains(const SegmentSums& sums)
      : m_segment(sums.segment),
        m_beforeFirstLag(sums.segment + sums.firstLag - 1),
        m_energyOut(sums.energy),
        m_products(sums.products),
        m_lagCount(sums.lagCount) {}

  // Step k of the sums of squares (k < D).
  [[gnu::always_inline]] void SumStep(int32_t k) {
    m_e0 = AddSquare(m_e0, m_segment[k]);
    m_energy = AddSquare(m_energy, m_beforeFirstLag[k]);
  }
  // The next lag's energy, if any is left.
  [[gnu::always_inline]] void SlideStep() {
    if (m_slid >= m_lagCount) return;
    const int32_t i = m_slid++;
    m_energy = SlideEnergy(m_energy, m_beforeFirstLag[i], m_beforeFirstLag[i + m_products]);
    m_energyOut[i] = m_energy;
  }
  void FinishSlides() {
    while (m_slid < m_lagCount) SlideStep();
  }
  float E0() const { return m_e0; }

 private:
  const float* m_segment;
  const float* m_beforeFirstLag;
  float* m_energyOut;
  int32_t m_products;
  int32_t m_lagCount;
  float m_e0 = 1e-10f;
  float m_energy = 1e-10f;
  int32_t m_slid = 0;
};

enum class BlockChain { kSums, kSlides, kNone };

template <class V, int B, BlockChain chain>
[[gnu::always_inline]] inline void SumBlock(const float* shifted, const float* head, int32_t d,
                                            float* out, EnergyChains& chains) {
  typename V::Reg acc[B];
  for (auto& a : acc) a = V::Zero();
  for (int32_t k = 0; k < d; ++k) {
    const typename V::Reg h = V::Broadcast(head + k);
#pragma GCC unroll 16
    for (int b = 0; b < B; ++b) {
      acc[b] = V::Add(acc[b], V::Mul(V::Load(shifted + k + V::kLanes * b), h));
    }
    if constexpr (chain == BlockChain::kSums) chains.SumStep(k);
    if constexpr (chain == BlockChain::kSlides) chains.SlideStep();
  }
  for (int b = 0; b < B; ++b) V::Store(out + V::kLanes * b, acc[b]);
}

// SumBlock for a block of `vectors` (1 ... V::kMaxBlocks) vectors of lags.
template <class V, BlockChain chain, int B = 1>
inline void SumBlockOf(int32_t vectors, const float* shifted, const float* head, int32_t d,
                       float* out, EnergyChains& chains) {
  if constexpr (B < V::kMaxBlocks) {
    if (vectors > B) {
      SumBlockOf<V, chain, B + 1>(vectors, shifted, head, d, out, chains);
      return;
    }
  }
  SumBlock<V, B, chain>(shifted, head, d, out, chains);
}

template <class V>
void SumSegmentBlocks(SegmentSums& sums) {
  const float* s = sums.segment;
  const int32_t d = sums.products;
  EnergyChains chains(sums);
  const int32_t vectors = (sums.lagCount + V::kLanes - 1) / V::kLanes;
  const int32_t blocks = (vectors + V::kMaxBlocks - 1) / V::kMaxBlocks;
  int32_t done = 0;
  for (int32_t block = 0; block < blocks; ++block) {
    const int32_t left = blocks - block;
    const int32_t size = (vectors - done + left - 1) / left;
    const float* shifted = s + sums.firstLag + V::kLanes * done;
    float* out = sums.num + V::kLanes * done;
    if (block == 0) {
      SumBlockOf<V, BlockChain::kSums>(size, shifted, s, d, out, chains);
    } else if (block == 1) {
      SumBlockOf<V, BlockChain::kSlides>(size, shifted, s, d, out, chains);
    } else {
      SumBlockOf<V, BlockChain::kNone>(size, shifted, s, d, out, chains);
    }
    done += size;
  }
  if (blocks == 0) {
    for (int32_t k = 0; k < d; ++k) chains.SumStep(k);
  }
  chains.FinishSlides();
  sums.e0 = chains.E0();
}

}  // namespace
}  // namespace velmio
