// The loudness types read the host's buffers in place at unity gain: buffers
// shared between inputs and outputs, the same channel's or crossed, must
// still give every output its own channel's input and the same readings.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/MeasurementDriver.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

constexpr double kRate = 48000.0;
constexpr int kFrames = 9000;
constexpr int kBlock = 512;

enum class Buffers { Separate, Shared, Crossed };

struct Outcome {
  std::vector<double> out[2];
  MeasurementReadings readings;
};

Outcome Process(int type, double gainDb, Buffers buffers) {
  const std::vector<double> source[2] = {test::Noise(1, 0.3, kFrames),
                                         test::Sine(997.0, kRate, 0.5, kFrames)};
  std::vector<double> a = source[0], b = source[1], outA(kFrames), outB(kFrames);
  MeasurementDriver driver;
  AnalyzerSetup setup;
  setup.type = type;
  driver.Init(kRate, setup);
  BlockSettings settings;
  settings.type = type;
  settings.config = 1;  // 2.0
  settings.gainDb = gainDb;
  for (int start = 0; start < kFrames; start += kBlock) {
    const int n = std::min(kBlock, kFrames - start);
    const double* in[2] = {a.data() + start, b.data() + start};
    double* out[2] = {outA.data() + start, outB.data() + start};
    if (buffers == Buffers::Shared) out[0] = a.data() + start, out[1] = b.data() + start;
    if (buffers == Buffers::Crossed) out[0] = b.data() + start, out[1] = a.data() + start;
    driver.Process(in, 2, out, 2, n, settings, true);
  }
  Outcome run;
  run.out[0] = buffers == Buffers::Separate ? outA : buffers == Buffers::Shared ? a : b;
  run.out[1] = buffers == Buffers::Separate ? outB : buffers == Buffers::Shared ? b : a;
  run.readings = driver.Read(type);
  return run;
}

TEST(DriverBuffers, SharedOrCrossedBuffersPassEachChannelAndMeasureAsSeparateOnes) {
  for (const int type : {kAnalyzerEBU, kAnalyzerDIAL})
    for (const double gainDb : {0.0, -6.0}) {
      const Outcome separate = Process(type, gainDb, Buffers::Separate);
      for (const Buffers buffers : {Buffers::Shared, Buffers::Crossed}) {
        const Outcome run = Process(type, gainDb, buffers);
        const auto where = ::testing::Message() << "type " << type << ", gain " << gainDb << ", buffers "
                                                << static_cast<int>(buffers);
        EXPECT_EQ(run.out[0], separate.out[0]) << where;
        EXPECT_EQ(run.out[1], separate.out[1]) << where;
        const MeasurementReadings& r = run.readings;
        const MeasurementReadings& s = separate.readings;
        EXPECT_EQ(r.ebu.momentary, s.ebu.momentary) << where;
        EXPECT_EQ(r.ebu.truePeakMax, s.ebu.truePeakMax) << where;
        EXPECT_EQ(r.dial.shortTerm, s.dial.shortTerm) << where;
        EXPECT_EQ(r.dial.truePeakMax, s.dial.truePeakMax) << where;
        EXPECT_EQ(r.channels[1].peak, s.channels[1].peak) << where;
      }
    }
  // Unity gain passes the input unchanged.
  const Outcome unity = Process(kAnalyzerEBU, 0.0, Buffers::Crossed);
  EXPECT_EQ(unity.out[1], test::Sine(997.0, kRate, 0.5, kFrames));
}

}  // namespace
}  // namespace kalvo5
