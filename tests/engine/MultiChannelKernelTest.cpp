#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "engine/KWeightingBank.h"
#include "engine/TruePeakBank.h"
#include "engine/TruePeakDetector.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

std::vector<SimdPath> SupportedPaths() {
  std::vector<SimdPath> paths;
  for (SimdPath p : {SimdPath::Baseline, SimdPath::Avx2Fma})
    if (SimdPathSupported(p)) paths.push_back(p);
  return paths;
}

// Six different channels, frame by frame: noise at several levels, a
// quarter-rate sine at 45 degrees (the largest inter-sample peaks) and
// silence.
std::vector<double> SixChannels(double rate, std::size_t frames) {
  std::vector<std::vector<double>> channels = {
      test::Noise(1, 1.0, frames),        test::Sine(rate / 4, rate, 0.8, frames, std::numbers::pi / 4),
      test::Noise(2, 0.01, frames),       std::vector<double>(frames, 0.0),
      test::Sine(997, rate, 0.5, frames), test::Noise(3, 0.3, frames),
  };
  return test::Interleave(channels);
}

const double (&Frame(const std::vector<double>& frames, std::size_t n))[6] {
  return *reinterpret_cast<const double(*)[6]>(&frames[n * 6]);
}

// The bank computes mirrored pairs of phases from sums and differences; the
// separate detectors sum each phase directly. Same estimates up to rounding,
// on every path and oversampling factor.
TEST(TruePeakBank, AgreesWithSixSeparateDetectors) {
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    const std::vector<double> frames = SixChannels(rate, 2000);
    for (SimdPath path : SupportedPaths()) {
      TruePeakBank bank;
      InitTruePeakBank(bank, rate);
      ASSERT_TRUE(SelectTruePeakBankPath(bank, path));
      TruePeakDetector detectors[6];
      for (auto& d : detectors) InitTruePeak(d, rate);
      for (std::size_t n = 0; n < 2000; ++n) {
        ProcessTruePeakBank(bank, Frame(frames, n));
        for (int c = 0; c < 6; ++c) {
          ProcessTruePeak(detectors[c], Frame(frames, n)[c]);
          ASSERT_NEAR(bank.current[c], detectors[c].current, 1e-14 * (1 + detectors[c].current))
              << "rate " << rate << " path " << static_cast<int>(path) << " frame " << n << " channel " << c;
        }
      }
      double hold = 0;
      for (int c = 0; c < 6; ++c) hold = std::max(hold, detectors[c].maxHold);
      EXPECT_NEAR(LargestMaxHold(bank), hold, 1e-14);
      ResetTruePeakBank(bank);
      EXPECT_EQ(LargestMaxHold(bank), 0.0);
    }
  }
}

// Detectors run together or one by one give bit-identical results; paths
// agree to rounding.
TEST(TruePeakDetector, GroupsAndPathsAgree) {
  const std::vector<double> frames = SixChannels(48000.0, 3000);
  TruePeakDetector reference[6];
  for (auto& d : reference) {
    InitTruePeak(d, 48000.0);
    ASSERT_TRUE(SelectTruePeakPath(d, SimdPath::Baseline));
  }
  for (SimdPath path : SupportedPaths()) {
    TruePeakDetector group[6], single[6];
    for (int c = 0; c < 6; ++c) {
      InitTruePeak(group[c], 48000.0);
      InitTruePeak(single[c], 48000.0);
      SelectTruePeakPath(group[c], path);
      SelectTruePeakPath(single[c], path);
    }
    for (auto& d : reference) ResetTruePeak(d);
    for (std::size_t n = 0; n < 3000; ++n) {
      const auto& x = Frame(frames, n);
      ProcessTruePeaks(group, x, 6);
      for (int c = 0; c < 6; ++c) {
        ProcessTruePeak(single[c], x[c]);
        ProcessTruePeak(reference[c], x[c]);
        ASSERT_EQ(group[c].current, single[c].current) << n;
        ASSERT_NEAR(group[c].current, reference[c].current, 1e-14 * (1 + reference[c].current)) << n;
      }
    }
  }
}

// With detectors for different rates, each keeps its own design.
TEST(TruePeakDetector, GroupOfMixedRatesProcessesEachByItsDesign) {
  TruePeakDetector mixed[3], alone[3];
  const double rates[3] = {48000.0, 96000.0, 48000.0};
  for (int c = 0; c < 3; ++c) {
    InitTruePeak(mixed[c], rates[c]);
    InitTruePeak(alone[c], rates[c]);
  }
  for (double v : test::Noise(5, 1.0, 500)) {
    const double x[3] = {v, -v, 0.5 * v};
    ProcessTruePeaks(mixed, x, 3);
    for (int c = 0; c < 3; ++c) {
      ProcessTruePeak(alone[c], x[c]);
      ASSERT_EQ(mixed[c].current, alone[c].current);
    }
  }
}

// On the baseline path the bank performs each channel's operations in the
// order of the single stage, so the outputs are bit-identical; the fused
// multiply-adds of the wider path differ by rounding only.
TEST(KWeightingBank, AgreesWithPerChannelStagesInEitherOrder) {
  const std::vector<double> frames = SixChannels(48000.0, 5000);
  for (KWeightingOrder order : {KWeightingOrder::ShelfFirst, KWeightingOrder::HighPassFirst}) {
    for (SimdPath path : SupportedPaths()) {
      KWeightingBank bank;
      InitKWeightingBank(bank, 48000.0, order, 1e-25);
      ASSERT_TRUE(SelectKWeightingBankPath(bank, path));
      KWeightingStage shelf[6], highPass[6];
      for (int c = 0; c < 6; ++c) {
        DesignKShelf(shelf[c], 48000.0);
        DesignKHighPass(highPass[c], 48000.0);
      }
      for (std::size_t n = 0; n < 5000; ++n) {
        double y[6];
        ProcessKWeightingBank(bank, Frame(frames, n), y);
        for (int c = 0; c < 6; ++c) {
          KWeightingStage& first = order == KWeightingOrder::ShelfFirst ? shelf[c] : highPass[c];
          KWeightingStage& second = order == KWeightingOrder::ShelfFirst ? highPass[c] : shelf[c];
          const double a = StepKWeighting(first, Frame(frames, n)[c] + 1e-25, 1e-25);
          const double expected = StepKWeighting(second, a + 1e-25, 1e-25);
          if (path == SimdPath::Baseline)
            ASSERT_EQ(y[c], expected) << n << " " << c;
          else
            ASSERT_NEAR(y[c], expected, 1e-12) << n << " " << c;
        }
      }
    }
  }
}

// Feeds the six channels of `frames` to `run(x, n)` in pieces that cycle
// through `splits`.
template <typename Run>
void InSplits(const std::vector<double>& frames, std::initializer_list<std::size_t> splits, Run run) {
  const std::size_t total = frames.size() / 6;
  std::vector<std::vector<double>> channels(6, std::vector<double>(total));
  for (std::size_t n = 0; n < total; ++n)
    for (int c = 0; c < 6; ++c) channels[c][n] = frames[n * 6 + static_cast<std::size_t>(c)];
  auto split = splits.begin();
  for (std::size_t done = 0; done < total;) {
    const std::size_t n = std::min(*split, total - done);
    const double* x[6];
    for (int c = 0; c < 6; ++c) x[c] = channels[c].data() + done;
    run(x, static_cast<int>(n), done);
    done += n;
    if (++split == splits.end()) split = splits.begin();
  }
}

// The block form of one or two channels, as the layouts 1.0 and 2.0 run it
// (both stages side by side on the wide path), gives the same bits at every
// split, short pieces included, and the per-sample outputs to within
// rounding.
TEST(KWeightingBank, BlockFormOfOneOrTwoChannelsIsTheSameAtEverySplit) {
  const std::vector<double> frames = SixChannels(48000.0, 3000);
  for (SimdPath path : SupportedPaths())
    for (int channels : {1, 2}) {
      KWeightingBank perSample;
      InitKWeightingBank(perSample, 48000.0, KWeightingOrder::ShelfFirst, 1e-25);
      SelectKWeightingBankPath(perSample, path);
      std::vector<double> expected;
      for (std::size_t n = 0; n < 3000; ++n) {
        double y[6];
        ProcessKWeightingBank(perSample, Frame(frames, n), y);
        expected.insert(expected.end(), y, y + channels);
      }
      std::vector<double> first;
      for (auto splits : {std::initializer_list<std::size_t>{3000}, {1}, {15, 16, 17, 300, 40}}) {
        KWeightingBank block;
        InitKWeightingBank(block, 48000.0, KWeightingOrder::ShelfFirst, 1e-25);
        SelectKWeightingBankPath(block, path);
        std::vector<double> outputs;
        InSplits(frames, splits, [&](const double* const(&x)[6], int n, std::size_t) {
          std::vector<double> w(6 * static_cast<std::size_t>(n));
          double* wc[6];
          for (std::size_t c = 0; c < 6; ++c) wc[c] = w.data() + c * static_cast<std::size_t>(n);
          ProcessKWeightingBankBlock(block, channels, x, wc, n);
          for (int k = 0; k < n; ++k)
            for (int c = 0; c < channels; ++c) outputs.push_back(wc[c][k]);
        });
        ASSERT_EQ(outputs.size(), expected.size());
        for (std::size_t i = 0; i < outputs.size(); ++i)
          ASSERT_NEAR(outputs[i], expected[i], 1e-12) << i << " path " << static_cast<int>(path);
        if (first.empty()) first = outputs;
        EXPECT_EQ(outputs, first) << "path " << static_cast<int>(path) << ", channels " << channels;
      }
    }
}

// The exact sum orders give the per-sample arithmetic bit for bit on every
// path and at every split: the true-peak bank phase by phase as the
// separate detectors, the K-weighting block form as its per-sample form.
TEST(MultiChannelKernels, ExactSumOrdersKeepThePerSampleBitsAtEverySplit) {
  for (double rate : {44100.0, 96000.0}) {
    const std::vector<double> frames = SixChannels(rate, 3000);
    for (SimdPath path : SupportedPaths()) {
      std::vector<double> peaks, weighted;
      TruePeakDetector detectors[6];
      KWeightingBank perSample;
      InitKWeightingBank(perSample, rate, KWeightingOrder::HighPassFirst, 1e-25);
      SelectKWeightingBankPath(perSample, path);
      for (auto& d : detectors) {
        InitTruePeak(d, rate);
        SelectTruePeakPath(d, path);
      }
      for (std::size_t n = 0; n < 3000; ++n) {
        double y[6];
        ProcessTruePeaks(detectors, Frame(frames, n), 6);
        ProcessKWeightingBank(perSample, Frame(frames, n), y);
        for (int c = 0; c < 6; ++c) {
          peaks.push_back(detectors[c].current);
          weighted.push_back(y[c]);
        }
      }
      for (auto splits : {std::initializer_list<std::size_t>{3000}, {1}, {7, 13, 300, 1}}) {
        TruePeakBank bank;
        InitTruePeakBank(bank, rate, TruePeakSums::PhaseByPhase);
        ASSERT_TRUE(SelectTruePeakBankPath(bank, path));
        KWeightingBank block;
        InitKWeightingBank(block, rate, KWeightingOrder::HighPassFirst, 1e-25,
                           KWeightingBlockSums::AsPerSample);
        SelectKWeightingBankPath(block, path);
        InSplits(frames, splits, [&](const double* const(&x)[6], int n, std::size_t done) {
          std::vector<double> p(6 * static_cast<std::size_t>(n)), w(p.size());
          double* pc[6];
          double* wc[6];
          for (std::size_t c = 0; c < 6; ++c) {
            pc[c] = p.data() + c * static_cast<std::size_t>(n);
            wc[c] = w.data() + c * static_cast<std::size_t>(n);
          }
          ProcessTruePeakBankBlock(bank, x, n, pc);
          ASSERT_EQ(ProcessKWeightingBankBlock(block, 6, x, wc, n), 6);
          for (int k = 0; k < n; ++k)
            for (int c = 0; c < 6; ++c) {
              const std::size_t at = (done + static_cast<std::size_t>(k)) * 6 + static_cast<std::size_t>(c);
              ASSERT_EQ(pc[c][k], peaks[at]) << "rate " << rate << " path " << static_cast<int>(path);
              ASSERT_EQ(wc[c][k], weighted[at]) << "rate " << rate << " path " << static_cast<int>(path);
            }
        });
      }
    }
  }
}

}  // namespace
}  // namespace kalvo5
