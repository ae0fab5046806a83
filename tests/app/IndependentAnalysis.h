#pragma once
// A second, deliberately plain implementation of the analysis in double
// precision, written from the definitions rather than from the product's code:
// kernels, decimation, transform and levels. Only the integer length rules
// use single precision, because they decide which taps exist.
#include <cstdint>
#include <vector>

namespace velmio::testing {

struct IndependentSettings {
  int rate = 44100;
  int bins = 4;
  int mode = 1;
  int a4 = 440;
  int low = 12;
  int high = 120;
};

struct IndependentResult {
  int frames = 0;
  int rows = 0;
  std::vector<double> levelDb;  // rows x frames, row 0 = highest pitch
  std::vector<double> energy;   // frames
};

// `mono` holds the mixed-down samples (16-bit units), unpadded.
IndependentResult AnalyseIndependently(const std::vector<double>& mono,
                                       const IndependentSettings& settings);

}  // namespace velmio::testing
