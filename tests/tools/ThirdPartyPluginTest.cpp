// The meter command hosts a plug-in it was not written for: DISTRHO's
// 3 Band EQ from Debian's dpf-plugins-vst, which exports only "main".
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "MeterTestSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

const std::string kEqualizer = "/usr/lib/vst/3BandEQ-vst.so";

double RmsDb(const std::vector<double>& x, std::size_t from) {
  double sum = 0.0;
  for (std::size_t n = from; n < x.size(); ++n) sum += x[n] * x[n];
  return 10.0 * std::log10(sum / static_cast<double>(x.size() - from));
}

class ThirdPartyPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    // Installed by scripts/install-deps.sh: a missing package is a failure.
    ASSERT_TRUE(std::filesystem::exists(kEqualizer))
        << kEqualizer << " is missing: install Debian's dpf-plugins-vst (bash scripts/install-deps.sh)";
  }
};

TEST_F(ThirdPartyPlugin, IsLoadedThroughMainAndListsItsParameters) {
  const MeterRun run = RunMeter({"--plugin", kEqualizer, "--list"});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("6 parameters, 2 inputs, 2 outputs"), std::string::npos) << run.out;
  for (const char* name : {"Low", "Mid", "High", "Master"}) {
    EXPECT_NE(run.out.find(std::string("  ") + name + " "), std::string::npos) << name << "\n" << run.out;
  }
  const MeterRun table = RunMeter({"--plugin", kEqualizer});
  ASSERT_EQ(table.code, kExitOk) << table.err;
  EXPECT_NE(table.out.find("entry main)"), std::string::npos) << table.out;
}

TEST_F(ThirdPartyPlugin, ProcessesAudioWithItsParametersSetByName) {
  TempFolder folder;
  const std::string input = folder.Path("tone.wav");
  WriteAudio(input, 2, 44100, 44100, [](int c, long n) {
    return 0.25 * std::sin(2.0 * M_PI * (c ? 1000.0 : 500.0) * static_cast<double>(n) / 44100.0);
  });
  const auto in = ReadAudio(input);
  for (const char* gain : {"0", "-6", "-12.5"}) {
    for (const char* block : {"64", "441"}) {
      const std::string output = folder.Path(std::string("out") + gain + block + ".wav");
      const MeterRun run = RunMeter({"--plugin", kEqualizer, "--set", std::string("Master=") + gain, "-b",
                                     block, "--output", output, input});
      ASSERT_EQ(run.code, kExitOk) << run.err;
      const auto out = ReadAudio(output);
      ASSERT_EQ(out.size(), 2u);
      for (std::size_t c = 0; c < 2; ++c) {
        ASSERT_EQ(out[c].size(), in[c].size());
        // Past the filters' settling, the level changes by the master gain.
        EXPECT_NEAR(RmsDb(out[c], 4410) - RmsDb(in[c], 4410), std::stod(gain), 0.1)
            << "Master " << gain << ", blocks of " << block << ", channel " << c;
      }
    }
  }
}

TEST_F(ThirdPartyPlugin, RefusesWhatItCannotDo) {
  // It processes 32-bit audio only.
  MeterRun run = RunMeter({"--plugin", kEqualizer, "--precision", "64"});
  EXPECT_EQ(run.code, kExitPlugin);
  EXPECT_NE(run.err.find("cannot process 64-bit audio"), std::string::npos) << run.err;

  TempFolder folder;
  const std::string input = folder.Path("four.wav");
  WriteAudio(input, 4, 48000, 4800, [](int, long) { return 0.0; });
  run = RunMeter({"--plugin", kEqualizer, input});
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("unsupported channel count 4 (the plug-in has 2 inputs)"), std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace kalvo5::meter::test
