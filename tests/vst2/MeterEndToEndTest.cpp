// Kalvo5.so measured by the meter command, in-process, on audio files:
// known signals give known readings, however the host feeds them.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

#include "Kalvo5Module.h"
#include "support/EbuR128Oracle.h"
#include "tools/MeterCommand.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::vst2test {
namespace {

using meter::test::JsonDisplays;
using meter::test::MeterRun;
using meter::test::RunMeter;
using meter::test::TempFolder;
using meter::test::WriteAudio;

constexpr double kPi = 3.14159265358979323846;
constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

// The output values of one run, by name.
std::map<std::string, double> Readings(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"--plugin", Kalvo5Path(), "--json"};
  all.insert(all.end(), args.begin(), args.end());
  const MeterRun run = RunMeter(all);
  EXPECT_EQ(run.code, meter::kExitOk) << run.err;
  std::map<std::string, double> values;
  // A reading without a value ("n/a") is left out.
  for (const auto& [name, text] : JsonDisplays(run.out, "values"))
    if (text != "n/a") values[name] = std::stod(text);
  return values;
}

// A stereo 1 kHz sine with the given peak level.
std::string Sine(const TempFolder& folder, double peakDb, int rate, double seconds) {
  const std::string path = folder.Path("sine" + std::to_string(rate) + ".wav");
  const double amplitude = std::pow(10.0, peakDb / 20.0);
  WriteAudio(
      path, 2, rate, static_cast<long>(seconds * rate),
      [&](int, long n) { return amplitude * std::sin(2.0 * kPi * 1000.0 * static_cast<double>(n) / rate); },
      kFloatWav);
  return path;
}

// Noise in level steps of 3 s each, so that the loudness range is not zero.
std::string SteppedNoise(const TempFolder& folder, int channels, int rate,
                         const std::vector<double>& stepsDb) {
  const std::string path =
      folder.Path("steps" + std::to_string(channels) + "_" + std::to_string(rate) + ".wav");
  const long stepFrames = 3L * rate;
  unsigned state = 99;
  WriteAudio(
      path, channels, rate, stepFrames * static_cast<long>(stepsDb.size()),
      [&](int c, long n) {
        state = state * 1664525u + 1013904223u;
        const double gain = std::pow(10.0, stepsDb[static_cast<std::size_t>(n / stepFrames)] / 20.0);
        const double channelGain = c == 3 ? 0.3 : 1.0;  // a quieter LFE
        return gain * channelGain * (static_cast<double>(state >> 8) / 8388608.0 - 1.0);
      },
      kFloatWav);
  return path;
}

TEST(MeterEndToEnd, SineReadsItsLevelInEveryAnalyzerType) {
  TempFolder folder;
  const std::string file = Sine(folder, -12.0, 48000, 6.0);

  const auto rms = Readings({"--type", "RMS", file});
  // Two channels summed: a sine's RMS level on each plus 3 dB is its peak level.
  EXPECT_NEAR(rms.at("OUT:RMS IL"), -12.0, 0.05);
  EXPECT_NEAR(rms.at("OUT:RMS ML"), -12.0, 0.05);
  EXPECT_NEAR(rms.at("OUT:RMS ML Max"), -12.0, 0.05);
  EXPECT_NEAR(rms.at("OUT:RMS Peak Max"), -12.0, 0.05);
  EXPECT_NEAR(rms.at("OUT:RMS TP Max"), -12.0, 0.11);

  const auto ebu = Readings({"--type", "EBU", file});
  EXPECT_NEAR(ebu.at("OUT:EBU IL"), -12.0, 0.11);
  EXPECT_NEAR(ebu.at("OUT:EBU ML Max"), -12.0, 0.11);
  EXPECT_NEAR(ebu.at("OUT:EBU SL Max"), -12.0, 0.11);
  EXPECT_EQ(ebu.at("OUT:EBU LRA"), 0.0);

  // A window shorter than the file, so that it has filled.
  const auto dial = Readings({"--type", "DIAL", "--set", "Dial S-Window=3000", file});
  EXPECT_NEAR(dial.at("OUT:DIAL SL"), -12.0, 0.11);
  EXPECT_NEAR(dial.at("OUT:DIAL TP Max"), -12.0, 0.11);
  EXPECT_EQ(dial.at("OUT:DIAL Percentage"), 0.0);  // a tone is no speech
}

TEST(MeterEndToEnd, LoudnessAgreesWithLibebur128InStereoAndFivePointOne) {
  TempFolder folder;
  const std::vector<double> steps = {-30.0, -18.0, -24.0, -36.0, -20.0, -27.0};
  for (const int channels : {2, 6}) {
    const std::string file = SteppedNoise(folder, channels, 44100, steps);
    int rate = 0;
    const auto audio = meter::test::ReadAudio(file, &rate);
    test::EbuR128Oracle oracle(static_cast<unsigned>(channels), static_cast<unsigned long>(rate),
                               EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S);
    if (channels == 6) oracle.UseFivePointOneLayout();
    std::vector<double> interleaved;
    for (std::size_t n = 0; n < audio[0].size(); ++n)
      for (const auto& channel : audio) interleaved.push_back(channel[n]);
    // Fed in 100 ms hops, for the largest momentary and short-term values.
    const auto hop = static_cast<std::size_t>(rate / 10) * static_cast<std::size_t>(channels);
    double momentaryMax = -HUGE_VAL, shortTermMax = -HUGE_VAL;
    for (std::size_t start = 0; start + hop <= interleaved.size(); start += hop) {
      oracle.Add(interleaved.data() + start, hop / static_cast<std::size_t>(channels));
      momentaryMax = std::max(momentaryMax, oracle.Momentary());
      if (start + hop >= static_cast<std::size_t>(3 * rate * channels))
        shortTermMax = std::max(shortTermMax, oracle.ShortTerm());
    }

    const auto ebu = Readings({"--type", "EBU", file});
    // Readings are shown to 0.1: within rounding of the oracle.
    EXPECT_NEAR(ebu.at("OUT:EBU IL"), oracle.Integrated(), 0.051) << channels;
    EXPECT_NEAR(ebu.at("OUT:EBU ML Max"), momentaryMax, 0.1) << channels;
    EXPECT_NEAR(ebu.at("OUT:EBU SL Max"), shortTermMax, 0.1) << channels;
    // The range comes from 0.1 LU bins and short-term values every 100 ms:
    // close to libebur128's own, not equal.
    EXPECT_NEAR(ebu.at("OUT:EBU LRA"), oracle.Range(), 1.0) << channels;
    EXPECT_GT(ebu.at("OUT:EBU LRA"), 5.0);
  }
}

TEST(MeterEndToEnd, BlockSizesAndPrecisionsGiveIdenticalReadings) {
  TempFolder folder;
  const std::string file = SteppedNoise(folder, 2, 48000, {-20.0, -30.0});
  for (const char* type : {"RMS", "EBU", "DIAL"}) {
    std::map<std::string, double> first;
    for (const char* precision : {"64", "32"}) {
      for (const char* block : {"32", "441", "4096"}) {
        const auto readings = Readings(
            {"--type", type, "--set", "Dial S-Window=3000", "--precision", precision, "-b", block, file});
        ASSERT_FALSE(readings.empty());
        if (first.empty()) {
          first = readings;
        } else {
          EXPECT_EQ(readings, first) << type << ", " << precision << "-bit, blocks of " << block;
        }
      }
    }
  }
}

TEST(MeterEndToEnd, ConcurrentInstancesAtDifferentRatesReadAsAlone) {
  TempFolder folder;
  const std::string loud = SteppedNoise(folder, 2, 44100, {-14.0, -20.0});
  const std::string quiet = SteppedNoise(folder, 6, 96000, {-33.0, -28.0});
  const std::vector<std::string> loudArgs = {"--type", "EBU", loud};
  const std::vector<std::string> quietArgs = {"--type", "EBU", "-b", "1000", quiet};
  const auto loudAlone = Readings(loudArgs);
  const auto quietAlone = Readings(quietArgs);
  std::map<std::string, double> loudTogether, quietTogether;
  std::thread other([&] { quietTogether = Readings(quietArgs); });
  loudTogether = Readings(loudArgs);
  other.join();
  EXPECT_EQ(loudTogether, loudAlone);
  EXPECT_EQ(quietTogether, quietAlone);
  EXPECT_NE(loudAlone.at("OUT:EBU IL"), quietAlone.at("OUT:EBU IL"));
}

TEST(MeterEndToEnd, SilenceHasNoLoudnessValueInJson) {
  TempFolder folder;
  const std::string file = Sine(folder, -300.0, 48000, 3.0);
  const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--type", "EBU", file});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  for (const char* name : {"OUT:EBU IL", "OUT:EBU ML Max", "OUT:EBU TP Max"}) {
    const std::string reading = meter::test::JsonReading(run.out, name);
    EXPECT_NE(reading.find("\"value\": null, \"reason\": \"at the bottom of its range"), std::string::npos)
        << name << ": " << reading;
  }
}

TEST(MeterEndToEnd, SampleRatesOutsideWhatThePluginMeasuresAreRefused) {
  TempFolder folder;
  for (const int rate : {4000, 384000}) {
    const std::string file = Sine(folder, -20.0, rate, 0.5);
    const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), file});
    EXPECT_EQ(run.code, meter::kExitInput) << rate;
    EXPECT_NE(run.err.find("sample rate " + std::to_string(rate) +
                           " Hz is not supported by Kalvo5 (8000 ... 192000 Hz)"),
              std::string::npos)
        << run.err;
  }
}

TEST(MeterEndToEnd, TheLastPartPeriodCountsInTheFinalReadings) {
  // A click in the last 21 ms, after the last full 50 ms period: only the
  // values the plug-in sends when processing stops hold it.
  TempFolder folder;
  const std::string path = folder.Path("click.wav");
  const long frames = 48000 + 1000;
  const double quiet = std::pow(10.0, -20.0 / 20.0), click = std::pow(10.0, -3.0 / 20.0);
  WriteAudio(
      path, 2, 48000, frames,
      [&](int, long n) {
        return n == frames - 1 ? click
                               : quiet * std::sin(2.0 * kPi * 1000.0 * static_cast<double>(n) / 48000);
      },
      kFloatWav);
  for (const char* block : {"512", "8192"}) {
    const auto rms = Readings({"--type", "RMS", "-b", block, path});
    EXPECT_NEAR(rms.at("OUT:RMS Peak Max"), -3.0, 0.05) << "blocks of " << block;
  }
}

TEST(MeterEndToEnd, TimelineHasARowPerFiftyMillisecondsWhateverTheBlocks) {
  TempFolder folder;
  const std::string file = SteppedNoise(folder, 2, 48000, {-20.0, -30.0, -25.0, -18.0});  // 12 s
  std::string first;
  for (const char* precision : {"64", "32"}) {
    for (const char* block : {"64", "1000", "8192"}) {
      const std::string csv = folder.Path(std::string("t") + precision + block + ".csv");
      const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--type", "EBU", "--precision", precision,
                                     "-b", block, "--csv", csv, file});
      ASSERT_EQ(run.code, meter::kExitOk) << run.err;
      std::ifstream in(csv);
      std::stringstream text;
      text << in.rdbuf();
      const std::string timeline = text.str();
      std::string header;
      std::getline(std::stringstream(timeline) >> std::ws, header);
      EXPECT_TRUE(header.starts_with("time,OUT:EBU IL,")) << header;
      EXPECT_EQ(std::count(timeline.begin(), timeline.end(), '\n'), 1 + 240) << precision << ", " << block;
      EXPECT_NE(timeline.find("\n12.000000,"), std::string::npos);
      // Rows hold the readings at their moment of the audio, not when a
      // thread got round to them.
      if (precision == std::string("64")) {
        if (first.empty()) first = timeline;
        EXPECT_EQ(timeline, first) << "blocks of " << block;
      }
    }
  }
}

TEST(MeterEndToEnd, MainJobReadsTheReferenceSignalAsEbuAndEveryTypeOnRequest) {
  // The plug-in lands one folder above the meter program in a build tree.
  Kalvo5Path();  // the program inherits the private data folder
  MeterRun run = meter::test::RunMeterProgram("--type EBU --json", "KALVO5_PLUGIN=");
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:EBU IL"), "-23.0");
  EXPECT_NE(run.out.find("Kalvo5.so"), std::string::npos);

  // Without --type, the EBU readings.
  run = meter::test::RunMeterProgram("", "KALVO5_PLUGIN=");
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_EQ(meter::test::TableRow(run.out, "OUT:EBU IL"), (std::vector<std::string>{"-23.0", "LUFS"}))
      << run.out;
  EXPECT_EQ(run.out.find("Toggle Tooltips"), std::string::npos) << "only the output values\n" << run.out;
  EXPECT_EQ(run.out.find("RMS"), std::string::npos) << "only the EBU type\n" << run.out;

  run = meter::test::RunMeterProgram("--type all", "KALVO5_PLUGIN=");
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_NE(run.out.find("\n  reading "), std::string::npos) << run.out;
  const auto il = meter::test::TableRow(run.out, "IL");
  ASSERT_GE(il.size(), 4u) << run.out;
  EXPECT_EQ(std::vector<std::string>(il.begin(), il.begin() + 4),
            (std::vector<std::string>{"-23.0", "dBFS", "-23.0", "LUFS"}))
      << run.out;

  run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--type", "all"});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "values", "RMS").at("OUT:RMS IL"), "-23.0");
  EXPECT_EQ(JsonDisplays(run.out, "values", "EBU").at("OUT:EBU IL"), "-23.0");
  EXPECT_EQ(JsonDisplays(run.out, "values", "DIAL").at("OUT:DIAL SL"), "-23.0");
}

}  // namespace
}  // namespace kalvo5::vst2test

namespace kalvo5::vst2test {
namespace {

// The width and height a PNG file's header gives; 0 × 0 when it is none.
std::pair<unsigned, unsigned> PngSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[24] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[1] != 'P' || header[12] != 'I')
    return {0, 0};
  const auto big = [&](int at) {
    return unsigned{header[at]} << 24 | unsigned{header[at + 1]} << 16 | unsigned{header[at + 2]} << 8 |
           unsigned{header[at + 3]};
  };
  return {big(16), big(20)};
}

TEST(MeterEndToEnd, SnapshotsDrawEveryPageAtTheAskedScale) {
  TempFolder folder;
  MeterRun run = RunMeter(
      {"--plugin", Kalvo5Path(), "-t", "all", "--snapshot", folder.Path("page.png"), "--scale", "0.5"});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  for (const char* type : {"RMS", "EBU", "DIAL"})
    EXPECT_EQ(PngSize(folder.Path(std::string("page-") + type + ".png")), std::make_pair(308u, 176u)) << type;

  run = RunMeter(
      {"--plugin", Kalvo5Path(), "--type", "EBU", "--snapshot", folder.Path("ebu.png"), "--scale", "3"});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_EQ(PngSize(folder.Path("ebu.png")), std::make_pair(1848u, 1056u));

  EXPECT_EQ(RunMeter({"--snapshot", folder.Path("x.png"), "--scale", "5"}).code, meter::kExitUsage);
}

}  // namespace
}  // namespace kalvo5::vst2test
