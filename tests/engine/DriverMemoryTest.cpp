// The block driver holds memory for the analyzers the chosen type needs;
// memory for another setting arrives in analyzers built elsewhere, the
// memory no longer needed leaves with them, and a driver that has taken it
// measures bit for bit as one built for that setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "SpeechMaterial.h"
#include "engine/MeasurementDriver.h"
#include "support/Signals.h"

namespace kalvo5 {
namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

AnalyzerSetup SetupOf(int type, double rmsWindowMs = 600.0, double dialWindowMs = 10000.0,
                      int weightingMode = 0) {
  AnalyzerSetup setup;
  setup.type = type;
  setup.rmsWindowMs = rmsWindowMs;
  setup.dialWindowMs = dialWindowMs;
  setup.weightingMode = weightingMode;
  return setup;
}

bool Same(const MemorySizes& a, const MemorySizes& b) {
  return a.rmsWindow == b.rmsWindow && a.ebu == b.ebu && a.dialWindow == b.dialWindow;
}

// Every reading of one type, the meters included.
std::vector<double> Values(const MeasurementReadings& r, int type) {
  std::vector<double> v;
  if (type == kAnalyzerRMS) {
    v = {r.rms.integrated, r.rms.momentary,   r.rms.momentaryMax,
         r.rms.peakMax,    r.rms.truePeakMax, r.rms.crest};
  } else if (type == kAnalyzerEBU) {
    v = {r.ebu.integrated,   r.ebu.momentary,   r.ebu.momentaryMax,  r.ebu.shortTerm,
         r.ebu.shortTermMax, r.ebu.truePeakMax, r.ebu.loudnessRange, r.ebu.integratedValid ? 1.0 : 0.0};
  } else {
    v = {r.dial.integrated,   r.dial.speechRange, r.dial.speechRatio, r.dial.shortTerm,
         r.dial.shortTermMax, r.dial.truePeakMax, r.dial.range,       r.dial.integratedValid ? 1.0 : 0.0};
  }
  for (const ChannelMeterReading& c : r.channels) v.insert(v.end(), {c.maxHold, c.peak, c.clipLight});
  return v;
}

// Speech on the left, noise on the right, measured block by block; the
// readings after every block.
std::vector<std::vector<double>> ReadingsOf(MeasurementDriver& driver, int type) {
  const test::Material& speech = test::SynthesisedSpeech(static_cast<int>(kRate));
  EXPECT_TRUE(speech.error.empty()) << speech.error;
  const std::size_t frames = std::min<std::size_t>(speech.samples.size(), 12 * 48000);
  std::vector<double> left(speech.samples.begin(), speech.samples.begin() + static_cast<long>(frames));
  std::vector<double> right = test::Noise(7, 0.05, frames);
  BlockSettings settings;
  settings.type = type;
  settings.config = type == kAnalyzerRMS ? static_cast<int>(RMSChannelConfig::Stereo)
                                         : static_cast<int>(LoudnessChannelConfig::Stereo);
  std::vector<std::vector<double>> readings;
  for (std::size_t at = 0; at + kBlock <= frames; at += kBlock) {
    const double* in[2] = {left.data() + at, right.data() + at};
    double outL[kBlock], outR[kBlock];
    double* out[2] = {outL, outR};
    driver.Process(in, 2, out, 2, kBlock, settings, true);
    readings.push_back(Values(driver.Read(type), type));
  }
  return readings;
}

TEST(DriverMemory, TakenMemoryMeasuresAsABuiltDriverAndTheRestLeaves) {
  struct Change {
    AnalyzerSetup from, to;
  };
  const Change changes[] = {
      {SetupOf(kAnalyzerRMS), SetupOf(kAnalyzerDIAL)},
      {SetupOf(kAnalyzerDIAL), SetupOf(kAnalyzerEBU)},
      {SetupOf(kAnalyzerEBU), SetupOf(kAnalyzerRMS, 10000.0, 10000.0, static_cast<int>(WeightingMode::LeqM))},
      {SetupOf(kAnalyzerDIAL, 600.0, 3000.0), SetupOf(kAnalyzerDIAL, 600.0, 30000.0)},
      {SetupOf(kAnalyzerDIAL, 3000.0), SetupOf(kAnalyzerRMS, 3000.0)},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(testing::Message() << "from type " << change.from.type << " to " << change.to.type);
    const MemorySizes need = MemorySizesFor(kRate, change.to);
    auto changed = std::make_unique<MeasurementDriver>();
    changed->Init(kRate, change.from);
    const MemorySizes before = changed->Held();
    EXPECT_TRUE(Fits(before, MemorySizesFor(kRate, change.from)));
    EXPECT_FALSE(changed->Configure(change.to)) << "the memory is not there yet";

    AnalyzerMemory memory;
    ASSERT_TRUE(ObtainMemory(memory, kRate, change.to, before));
    const MemorySizes promised = MemoryAfter(before, memory);
    changed->AdoptMemory(memory);
    ASSERT_TRUE(changed->Configure(change.to));
    EXPECT_TRUE(Same(changed->Held(), promised));
    EXPECT_TRUE(Fits(changed->Held(), need)) << "no memory beyond what the setup needs";
    EXPECT_TRUE(Same(MemoryAfter(changed->Held(), memory), before)) << "what was held left with the carriers";

    auto built = std::make_unique<MeasurementDriver>();
    built->Init(kRate, change.to);
    EXPECT_TRUE(Same(built->Held(), changed->Held()));
    EXPECT_EQ(ReadingsOf(*changed, change.to.type), ReadingsOf(*built, change.to.type));
  }
}

}  // namespace
}  // namespace kalvo5
