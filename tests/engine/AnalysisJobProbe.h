#pragma once
// Direct access to the analysis state, for tests of what follows each state.
#include <ostream>

#include "engine/Analysis.h"

namespace velmio {

struct AnalysisJobProbe {
  static void SetState(AnalysisJob& job, AnalysisState state) { job.m_analysisState.store(state); }
  static void SetState(Analysis& analysis, AnalysisState state) { SetState(analysis.m_job, state); }
};

// Test messages name the state by its number.
inline void PrintTo(AnalysisState state, std::ostream* os) {
  *os << static_cast<int>(state);
}

}  // namespace velmio
