#include "dsp/FftPlans.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <thread>
#include <vector>

#include "dsp/AlignedBuffer.h"

namespace velmio {
namespace {

std::vector<std::complex<double>> NaiveDft(const std::vector<std::complex<double>>& x, int sign) {
  const int n = static_cast<int>(x.size());
  std::vector<std::complex<double>> out(n);
  for (int k = 0; k < n; ++k) {
    std::complex<double> sum;
    for (int j = 0; j < n; ++j) {
      const double angle = sign * 2.0 * std::numbers::pi * double(j) * k / n;
      sum += x[j] * std::polar(1.0, angle);
    }
    out[k] = sum;
  }
  return out;
}

std::vector<std::complex<double>> TestSignal(int n) {
  std::vector<std::complex<double>> x(n);
  for (int j = 0; j < n; ++j) x[j] = {std::sin(0.37 * j) + 0.25 * (j % 7), std::cos(0.11 * j * j)};
  return x;
}

// Float FFTs of length n carry an error of a few ulps times log2(n) relative
// to the largest output; 1e-5 of the signal's energy scale covers n <= 4096.
double Tolerance(const std::vector<std::complex<double>>& reference) {
  double largest = 0.0;
  for (auto v : reference) largest = std::max(largest, std::abs(v));
  return 1e-5 * std::max(largest, 1.0);
}

TEST(FftPlans, ComplexTransformsMatchTheDefinitionInBothDirections) {
  for (int n : {1, 2, 8, 48, 1024, 2048}) {
    for (FftDirection direction : {FftDirection::kForward, FftDirection::kInverse}) {
      const auto x = TestSignal(n);
      const auto expected = NaiveDft(x, direction == FftDirection::kForward ? -1 : +1);
      AlignedBuffer<float> data(2 * n);
      for (int j = 0; j < n; ++j) {
        data[2 * j] = static_cast<float>(x[j].real());
        data[2 * j + 1] = static_cast<float>(x[j].imag());
      }
      ComplexFftPlan::Get(n, direction).Execute(data.data());
      const double tolerance = Tolerance(expected);
      for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(data[2 * k], expected[k].real(), tolerance) << "n=" << n << " k=" << k;
        ASSERT_NEAR(data[2 * k + 1], expected[k].imag(), tolerance) << "n=" << n << " k=" << k;
      }
    }
  }
}

TEST(FftPlans, RealTransformGivesTheLowerHalfOfTheSpectrumAndKeepsItsInput) {
  const int n = 4096;
  std::vector<std::complex<double>> x(n);
  AlignedBuffer<float> in(n);
  for (int j = 0; j < n; ++j) {
    in[j] = static_cast<float>(std::sin(0.05 * j) * (j < 40 ? 1.0 : 0.0) + (j == 7 ? 3.0 : 0.0));
    x[j] = in[j];
  }
  const auto expected = NaiveDft(x, -1);
  AlignedBuffer<float> out(n + 2);
  RealFftPlan::Get(n).Execute(in.data(), out.data());
  const double tolerance = Tolerance(expected);
  for (int k = 0; k <= n / 2; k += 17) {
    ASSERT_NEAR(out[2 * k], expected[k].real(), tolerance) << k;
    ASSERT_NEAR(out[2 * k + 1], expected[k].imag(), tolerance) << k;
  }
  EXPECT_EQ(in[7], static_cast<float>(std::sin(0.35) + 3.0));
}

TEST(FftPlans, SharedPlansRunFromManyThreadsWithIdenticalResults) {
  const int n = 2048;
  AlignedBuffer<float> reference(2 * n);
  for (int j = 0; j < 2 * n; ++j) reference[j] = static_cast<float>(std::sin(0.01 * j * j));
  AlignedBuffer<float> expected(2 * n);
  std::copy(reference.begin(), reference.end(), expected.begin());
  ComplexFftPlan::Get(n, FftDirection::kForward).Execute(expected.data());

  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      // Several lengths at once: plans for new lengths are made while others execute.
      for (int round = 0; round < 20; ++round) {
        AlignedBuffer<float> data(2 * n);
        std::copy(reference.begin(), reference.end(), data.begin());
        ComplexFftPlan::Get(n, FftDirection::kForward).Execute(data.data());
        for (int j = 0; j < 2 * n; ++j) mismatches[t] += data[j] != expected[j];
        AlignedBuffer<float> other(2 * (64 << (round % 4)));
        ComplexFftPlan::Get(64 << (round % 4), FftDirection::kInverse).Execute(other.data());
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace velmio
