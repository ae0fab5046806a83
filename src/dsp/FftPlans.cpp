#include "dsp/FftPlans.h"

#include <fftw3.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace velmio {
namespace {

std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

// FFTW refuses (or crashes in) SIMD code on arrays aligned differently from
// the ones a plan was made with; plans are made on fftwf_malloc'ed arrays.
bool IsPlanAligned(const void* p) {
  return fftwf_alignment_of(reinterpret_cast<float*>(const_cast<void*>(p))) == 0;
}

struct ScratchArray {
  explicit ScratchArray(std::size_t floats)
      : data(static_cast<float*>(fftwf_malloc(sizeof(float) * floats))) {}
  ~ScratchArray() { fftwf_free(data); }
  float* data;
};

template <typename Plan, typename Key, typename... Args>
const Plan& CachedPlan(Key key, Args... args) {
  // Plans live until exit: executing threads may hold references at any time.
  static std::map<Key, std::unique_ptr<Plan>>* cache = new std::map<Key, std::unique_ptr<Plan>>();
  static std::mutex cacheLock;
  std::lock_guard<std::mutex> guard(cacheLock);
  auto& slot = (*cache)[key];
  if (!slot) slot = std::make_unique<Plan>(args...);
  return *slot;
}

}  // namespace

bool IsFftAligned(const float* data) {
  return IsPlanAligned(data);
}

ComplexFftPlan::ComplexFftPlan(int n, FftDirection direction) : m_size(n) {
  ScratchArray scratch(2 * static_cast<std::size_t>(n));
  auto* data = reinterpret_cast<fftwf_complex*>(scratch.data);
  std::lock_guard<std::mutex> guard(PlannerLock());
  m_plan = fftwf_plan_dft_1d(n, data, data,
                             direction == FftDirection::kForward ? FFTW_FORWARD : FFTW_BACKWARD,
                             FFTW_ESTIMATE);
  if (m_plan == nullptr) std::abort();
}

ComplexFftPlan::~ComplexFftPlan() {
  std::lock_guard<std::mutex> guard(PlannerLock());
  fftwf_destroy_plan(static_cast<fftwf_plan>(m_plan));
}

const ComplexFftPlan& ComplexFftPlan::Get(int n, FftDirection direction) {
  return CachedPlan<ComplexFftPlan>(std::make_pair(n, direction == FftDirection::kForward), n,
                                    direction);
}

void ComplexFftPlan::Execute(float* data) const {
  if (!IsPlanAligned(data)) std::abort();
  auto* complexData = reinterpret_cast<fftwf_complex*>(data);
  fftwf_execute_dft(static_cast<fftwf_plan>(m_plan), complexData, complexData);
}

RealFftPlan::RealFftPlan(int n) : m_size(n) {
  ScratchArray in(static_cast<std::size_t>(n));
  ScratchArray out(static_cast<std::size_t>(n) + 2);
  std::lock_guard<std::mutex> guard(PlannerLock());
  m_plan = fftwf_plan_dft_r2c_1d(n, in.data, reinterpret_cast<fftwf_complex*>(out.data),
                                 FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
  if (m_plan == nullptr) std::abort();
}

RealFftPlan::~RealFftPlan() {
  std::lock_guard<std::mutex> guard(PlannerLock());
  fftwf_destroy_plan(static_cast<fftwf_plan>(m_plan));
}

const RealFftPlan& RealFftPlan::Get(int n) {
  return CachedPlan<RealFftPlan>(n, n);
}

void RealFftPlan::Execute(const float* in, float* out) const {
  if (!IsPlanAligned(in) || !IsPlanAligned(out)) std::abort();
  fftwf_execute_dft_r2c(static_cast<fftwf_plan>(m_plan), const_cast<float*>(in),
                        reinterpret_cast<fftwf_complex*>(out));
}

}  // namespace velmio
