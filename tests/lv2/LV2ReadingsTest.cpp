// The LV2 variants measure as the VST 2 build does: each variant runs test
// files through lilv, and its output ports' final readings equal what the
// meter command reports for Kalvo5.so on the same files; the audio passes
// through unchanged, as lv2file shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "LilvHost.h"
#include "framework/iplug/LV2Ports.h"
#include "support/Signals.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::lv2test {
namespace {

using meter::test::JsonReading;
using meter::test::RunMeterProgram;
using meter::test::TempFolder;
using meter::test::WriteAudio;

struct TestFile {
  const char* variant;
  int channels;
  int rate;
  double seconds;
};

constexpr const char* kBase = "https://www.vantorel.com/plugins/kalvo5/lv2/";
constexpr TestFile kFiles[] = {
    {"stereo", 2, 48000, 20.0}, {"5.1", 6, 48000, 6.0}, {"mono", 1, 96000, 5.0}, {"stereo", 2, 44100, 5.0}};
constexpr const char* kTypes[] = {"RMS", "EBU", "DIAL"};

// Programme material: a different sine and noise on each channel, with a
// loud burst in the middle, so that every reading moves.
double Sample(int channel, long frame, int rate) {
  const double t = static_cast<double>(frame) / rate;
  const double burst = (t > 2.0 && t < 3.0) ? 4.0 : 1.0;
  const double noise = std::sin(static_cast<double>(frame) * 12.9898 + channel * 78.233) * 43758.5453;
  return burst * (0.05 * std::sin(2.0 * M_PI * (220.0 * (channel + 1)) * t) +
                  0.02 * (noise - std::floor(noise) - 0.5));
}

// The "value" of a reading in the meter's JSON.
double MeterValue(const std::string& json, const std::string& name) {
  const std::string object = JsonReading(json, name);
  const std::size_t at = object.find("\"value\": ");
  if (at == std::string::npos || object.compare(at + 9, 4, "null") == 0) return NAN;
  return std::strtod(object.c_str() + at + 9, nullptr);
}

TEST(LV2Readings, EveryVariantsOutputPortsEqualTheMetersReadingsOfTheVST2Build) {
  TempFolder folder;
  const TestWorld world(KALVO5_LV2_PATH);
  for (const TestFile& file : kFiles) {
    const std::string path =
        folder.Path(std::string(file.variant) + "-" + std::to_string(file.rate) + ".wav");
    const long frames = static_cast<long>(file.seconds * file.rate);
    const int rate = file.rate;
    // 32-bit float samples: the LV2 host hands over exactly what the meter reads.
    WriteAudio(
        path, file.channels, rate, frames, [rate](int c, long n) { return Sample(c, n, rate); },
        0x010006 /* WAV, float */);
    std::vector<float> audio(static_cast<std::size_t>(frames * file.channels));
    for (long n = 0; n < frames; ++n)
      for (int c = 0; c < file.channels; ++c)
        audio[static_cast<std::size_t>(n * file.channels + c)] = static_cast<float>(Sample(c, n, rate));

    for (int type = 0; type < 3; ++type) {
      SCOPED_TRACE(path + " " + kTypes[type]);
      const auto run =
          RunMeterProgram(std::string("--json --precision 32 --type ") + kTypes[type] + " '" + path + "'");
      ASSERT_EQ(run.code, 0) << run.err;

      TestInstance plug(world, std::string(kBase) + file.variant, rate);
      ASSERT_TRUE(plug.Valid());
      plug.SetControl("type", static_cast<float>(type));
      std::vector<float> output;
      plug.Process(audio, file.channels, &output);
      EXPECT_EQ(output, audio);  // the meter passes its audio through

      int compared = 0;
      for (const char* name : {"IL", "ML", "ML Max", "SL", "SL Max", "Peak Max", "TP Max", "Crest", "LRA",
                               "Percentage", "LRAD"}) {
        const std::string reading = std::string("OUT:") + (type == 2 ? "DIAL" : kTypes[type]) + " " + name;
        const double expected = MeterValue(run.out, reading);
        const float measured = plug.Control(iplug::LV2Symbol(reading));
        if (std::isnan(measured)) continue;  // no such reading of this type
        ++compared;
        if (std::isnan(expected)) continue;  // no measurement: the port keeps its last value
        // The meter prints two decimals.
        EXPECT_NEAR(measured, expected, 0.0051) << reading;
      }
      EXPECT_GE(compared, 6);
    }
  }
}

TEST(LV2Readings, Lv2fileRunsTheBundleAndPassesTheAudioThrough) {
  TempFolder folder;
  const std::string in = folder.Path("in.wav");
  const std::string out = folder.Path("out.wav");
  WriteAudio(in, 2, 48000, 48000, [](int c, long n) { return Sample(c, n, 48000); });
  const std::string command = "LV2_PATH='" + std::string(KALVO5_LV2_PATH) + "' lv2file -i '" + in + "' -o '" +
                              out + "' " + kBase + "stereo >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(meter::test::Bytes(in), meter::test::Bytes(out));
}

}  // namespace
}  // namespace kalvo5::lv2test
