// Kalvo5.so measured by the meter command as a loudness engineer uses it for
// deliveries.
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "Kalvo5Module.h"
#include "tools/MeterCommand.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::vst2test {
namespace {

using meter::test::JsonDisplays;
using meter::test::JsonReading;
using meter::test::MeterRun;
using meter::test::RunMeter;
using meter::test::TempFolder;
using meter::test::WriteAudio;

// A stereo 997 Hz sine with this peak level: -3 dB more reads as its LUFS.
std::string Tone(const TempFolder& folder, const std::string& name, int rate, long frames, double peakDb) {
  const std::string path = folder.Path(name);
  const double amplitude = std::pow(10.0, peakDb / 20.0);
  WriteAudio(
      path, 2, rate, frames,
      [&](int, long n) {
        return amplitude * std::sin(2.0 * std::numbers::pi * 997.0 * static_cast<double>(n) / rate);
      },
      SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  return path;
}

// The integrated loudness needs one complete 400 ms block; at 11.025 kHz
// the first one ends at 5510 frames (five 1102-frame hops), not at 4410.
TEST(MeterDelivery, AProgrammeWithoutACompleteMomentaryBlockHasNoIntegratedLoudness) {
  TempFolder folder;
  struct Case {
    int rate;
    long frames;
    bool measured;
  };
  for (const Case c : {Case{48000, 14400, false}, Case{11025, 5509, false}, Case{11025, 5510, true}}) {
    const std::string file = Tone(folder, "short.wav", c.rate, c.frames, -20.0);
    const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "-t", "EBU", file});
    ASSERT_EQ(run.code, meter::kExitOk) << run.err;
    const std::string il = JsonReading(run.out, "OUT:EBU IL");
    const bool noValue =
        il.find(
            "\"value\": null, \"reason\": \"no measurement: the programme holds no complete 400 ms block") !=
        std::string::npos;
    EXPECT_EQ(noValue, !c.measured) << c.rate << " Hz, " << c.frames << " frames: " << il;
    // The maxima of windows that never filled are none either, and no
    // reading without a value shows a number.
    const bool momentary = static_cast<double>(c.frames) / c.rate >= 0.4;
    const std::string mMax = JsonReading(run.out, "OUT:EBU ML Max");
    EXPECT_EQ(mMax.find("\"display\": \"n/a\", \"label\": \"LUFS\", \"value\": null, \"reason\": \"no "
                        "measurement: the programme is shorter than the 400 ms momentary window\"") ==
                  std::string::npos,
              momentary)
        << mMax;
    EXPECT_NE(
        JsonReading(run.out, "OUT:EBU SL Max")
            .find("\"value\": null, \"reason\": \"no measurement: the programme is shorter than the 3 s "
                  "short-term window\""),
        std::string::npos);
    EXPECT_EQ(il.find("\"display\": \"n/a\"") == std::string::npos, c.measured) << il;
  }
}

// At a rate the speech detector does not take, the readings that depend on
// speech are refused with the plug-in's reason, never a silent "no
// dialogue"; the window readings still measure.
TEST(MeterDelivery, DialogueReadingsAtARateWithoutSpeechDetectionSayWhy) {
  TempFolder folder;
  const std::string refusal =
      "\"value\": null, \"reason\": \"no measurement: the speech detector does not run";
  for (const int rate : {44101, 44100}) {
    const std::string file = Tone(folder, "tone.wav", rate, 3 * rate, -20.0);
    const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "-t", "DIAL", file});
    ASSERT_EQ(run.code, meter::kExitOk) << run.err;
    for (const char* name : {"OUT:DIAL IL", "OUT:DIAL LRA", "OUT:DIAL Percentage"}) {
      const std::string reading = JsonReading(run.out, name);
      EXPECT_EQ(reading.find(refusal) != std::string::npos, rate == 44101) << rate << " Hz: " << reading;
    }
    EXPECT_EQ(JsonReading(run.out, "OUT:DIAL SL Max").find("reason"), std::string::npos)
        << JsonReading(run.out, "OUT:DIAL SL Max");
    const MeterRun table = RunMeter({"--plugin", Kalvo5Path(), "-t", "DIAL", file});
    EXPECT_EQ(table.out.find("speech detector does not run") != std::string::npos, rate == 44101)
        << table.out;
  }
}

// The value a reading carries is the parameter's own, to 0.01, beside the
// display rounded to 0.1: in the JSON and in the timeline.
TEST(MeterDelivery, ReadingsCarryTheirValueAtFullResolutionBesideTheDisplay) {
  TempFolder folder;
  const std::string file = Tone(folder, "tone.wav", 48000, 48000, -20.04);
  const std::string csv = folder.Path("t.csv");
  const MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--csv", csv, file});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  const std::string peak = JsonReading(run.out, "OUT:EBU TP Max");
  const auto at = peak.find("\"value\": ");
  ASSERT_NE(at, std::string::npos) << peak;
  const std::string value = peak.substr(at + 9, peak.find('}') - at - 9);
  // The true peak, unrounded, shows -19.9 for this tone.
  EXPECT_EQ(value, "-19.92");
  EXPECT_NE(peak.find("\"display\": \"-19.9\""), std::string::npos) << peak;

  const std::string timeline = meter::test::Bytes(csv);
  EXPECT_NE(timeline.find(",OUT:EBU TP Max,OUT:EBU TP Max display,"), std::string::npos) << timeline;
  EXPECT_NE(timeline.find(",-19.92,-19.9,"), std::string::npos);
}

// A library: one row per file (I, LRA, TP max, M max, S max, duration,
// status) and a total row, as a table, as CSV and in the JSON.
TEST(MeterDelivery, ALibraryIsSummarizedFileByFileWithATotal) {
  TempFolder folder;
  const std::string loud = Tone(folder, "loud.wav", 48000, 144000, -20.0);  // -20 LUFS in stereo
  const std::string quiet = Tone(folder, "quiet.wav", 48000, 144000, -30.0);
  const std::string missing = folder.Path("missing.wav");
  const std::string csv = folder.Path("summary.csv");
  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--summary-csv", csv, loud, quiet, missing});
  EXPECT_EQ(run.code, meter::kExitInput) << run.err;
  using Words = std::vector<std::string>;
  EXPECT_EQ(meter::test::TableRow(run.out, "file"),
            (Words{"I", "(LUFS)", "LRA", "(LU)", "TP", "max", "(dBTP)", "M", "max", "(LUFS)", "S", "max",
                   "(LUFS)", "peak", "(dBFS)", "PLR", "(LU)", "duration", "status"}))
      << run.out;
  // The sine's sample peak is its -20 dBFS crest, 0.1 dB under its true peak.
  EXPECT_EQ(meter::test::TableRow(run.out, loud),
            (Words{"-20.0", "0.0", "-19.9", "-20.0", "-20.0", "-20.0", "0.1", "0:03.0", "ok"}))
      << run.out;
  EXPECT_EQ(meter::test::TableRow(run.out, missing),
            (Words{"-", "-", "-", "-", "-", "-", "-", "-", "unreadable"}));
  EXPECT_EQ(run.out.find("OUT:EBU IL"), std::string::npos) << "no per-file reports\n" << run.out;

  const std::string table = meter::test::Bytes(csv);
  EXPECT_TRUE(table.starts_with("file,seconds,status,I,I display,LRA,LRA display,TP max,TP max display,"))
      << table;
  EXPECT_NE(table.find("\n" + quiet + ",3.000000,ok,-30.00,-30.0,0.00,0.0,"), std::string::npos) << table;
  EXPECT_NE(table.find("\n" + missing + ",0.000000,unreadable,,,"), std::string::npos) << table;

  // Both files as one programme: the mean of their powers, 2.6 LU above the
  // quieter.
  run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--summary", "--total", loud, quiet});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  const std::string summary = run.out.substr(run.out.find("\"summary\": {"));
  EXPECT_NE(summary.find("{\"name\": \"I\", \"reading\": \"IL\", \"label\": \"LUFS\"}"), std::string::npos)
      << summary;
  const std::string total = summary.substr(summary.find("\"total\": "));
  EXPECT_TRUE(
      total.starts_with("\"total\": {\"source\": \"total\", \"status\": \"ok\", \"seconds\": 6.000000, "
                        "\"samplePeak\": -20.00, \"plr\": 2.72, "))
      << total;
  EXPECT_NE(total.find("\"I\": {\"value\": -22.60, \"display\": \"-22.6\"}"), std::string::npos) << total;
}

// The value of `key` in a JSON object written on one line.
std::string JsonField(const std::string& json, const std::string& key) {
  const auto at = json.find("\"" + key + "\": ");
  if (at == std::string::npos) return {};
  const auto from = at + key.size() + 4;
  return json.substr(from, json.find_first_of(",}", from) - from);
}

// --target: the gain the plug-in's own Match sets, in its steps, and with
// -o the audio through the plug-in with that gain, which then reads the
// target.
TEST(MeterDelivery, TargetGivesThePluginsMatchGainAndWritesTheGainedAudio) {
  TempFolder folder;
  const std::string file = Tone(folder, "tone.wav", 48000, 144000, -20.0);  // -20.0 LUFS, -19.9 dBTP
  const std::string output = folder.Path("gained.wav");
  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--target", "-23", "-o", output, file});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  const std::string target = run.out.substr(run.out.find("\"target\": "));
  EXPECT_EQ(JsonField(target, "gain"), "{\"value\": -3.00") << target;
  EXPECT_EQ(JsonField(target, "loudnessAfter"), "-23.00") << target;
  EXPECT_EQ(JsonField(target, "truePeakAfter"), "-22.88") << target;
  EXPECT_EQ(JsonField(target, "withinCeiling"), "true") << target;

  const auto in = meter::test::ReadAudio(file), out = meter::test::ReadAudio(output);
  ASSERT_EQ(out.size(), 2u);
  ASSERT_EQ(out[0].size(), in[0].size());
  const double gain = std::pow(10.0, -3.0 / 20.0);
  for (std::size_t n = 0; n < in[0].size(); n += 101) ASSERT_NEAR(out[1][n], gain * in[1][n], 1e-6) << n;
  run = RunMeter({"--plugin", Kalvo5Path(), output});
  EXPECT_EQ(meter::test::TableRow(run.out, "OUT:EBU IL"), (std::vector<std::string>{"-23.0", "LUFS"}))
      << run.out;
}

// A true peak over the ceiling is said, not limited, and fails the
// delivery; without a loudness to match there is no gain and no gained
// audio.
TEST(MeterDelivery, TargetSaysWhenTheCeilingWouldBeExceededAndWhenThereIsNothingToMatch) {
  TempFolder folder;
  const std::string file = Tone(folder, "tone.wav", 48000, 144000, -20.0);
  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--target", "-1", "--ceiling", "-1.0", file});
  EXPECT_EQ(run.code, meter::kExitCheckFailed) << run.err;
  EXPECT_NE(run.out.find("check             fail (--target)\n"
                         "                    TP with the gain -0.9 dBTP is 0.1 dB over the ceiling -1.0"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("the true peak is -0.88 dBTP, over the ceiling of -1.0 dBTP (there is no limiter)"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(meter::test::TableRow(run.out, "TP with the gain"),
            (std::vector<std::string>{"-0.9", "dBTP,", "over", "the", "ceiling"}))
      << run.out;

  // Into a FLAC file a gain past full scale clips, counted; the readings
  // stand.
  const std::string flac = folder.Path("gained.flac");
  run = RunMeter({"--plugin", Kalvo5Path(), "--target", "3", "--ceiling", "6", "-o", flac, file});
  EXPECT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_NE(run.err.find("samples beyond full scale were clipped in the 24-bit FLAC file"), std::string::npos)
      << run.err;
  EXPECT_EQ(meter::test::TableRow(run.out, "OUT:EBU IL"), (std::vector<std::string>{"-20.0", "LUFS"}));
  EXPECT_EQ(meter::test::ReadAudio(flac).size(), 2u);

  const std::string brief = Tone(folder, "brief.wav", 48000, 9600, -20.0);
  const std::string output = folder.Path("gained.wav");
  run = RunMeter({"--plugin", Kalvo5Path(), "--target", "-23", "-o", output, brief});
  EXPECT_EQ(run.code, meter::kExitOutput);
  EXPECT_NE(run.err.find("--output: no integrated loudness to match"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(output));
}

// Kalvo5 answers success to any chunk whose framing is intact, also when it
// rejected the document inside: the meter finds out from the parameters
// whether the preset took effect and measures nothing with one that did not.
TEST(MeterDelivery, APresetThePluginDidNotApplyIsRefused) {
  TempFolder folder;
  const auto document = [](const std::string& vendor) {
    return "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n    <PluginVendor>" + vendor +
           "</PluginVendor>\n    <PluginName>Kalvo5</PluginName>\n    <PluginVersion>v5.3.6</PluginVersion>\n"
           "    <Preset name=\"Hot\">\n        <Parameter>\n"
           "            <Param name=\"EBU RefLevel\" val=\"-16.000000\" />\n"
           "            <Param name=\"Dial RefLevel\" val=\"-20.000000\" />\n"
           "        </Parameter>\n    </Preset>\n</PresetXMLTree>\n";
  };
  const std::string whole = document("Vantorel");
  const std::map<std::string, std::string> presets = {{"whole.vrs", whole},
                                                      {"cut.vrs", whole.substr(0, whole.size() / 2)},
                                                      {"foreign.vrs", document("Someone Else")}};
  for (const auto& [name, text] : presets) std::ofstream(folder.Path(name), std::ios::binary) << text;

  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--all", "-P", folder.Path("whole.vrs")});
  ASSERT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "values").at("EBU RefLevel"), "-16.0");
  for (const char* name : {"cut.vrs", "foreign.vrs"}) {
    run = RunMeter({"--plugin", Kalvo5Path(), "-P", folder.Path(name)});
    EXPECT_EQ(run.code, meter::kExitInput) << name;
    EXPECT_NE(run.err.find(folder.Path(name) + ": the plug-in did not apply the preset"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// Each built-in profile passes a file at the edge of its loudness tolerance
// and fails one 0.2 LU past it, saying by how much.
TEST(MeterDelivery, BuiltInProfilesPassAtTheEdgeOfTheirToleranceAndFailPastIt) {
  TempFolder folder;
  struct Case {
    const char* profile;
    double edge;  // LUFS
    double past;  // LU beyond the edge
    const char* failure;
  };
  const Case cases[] = {
      {"ebu-r128", -22.5, 0.2, "I -22.3 LUFS is 0.2 LU over I=-23+-0.5"},
      {"ebu-r128-live", -24.0, -0.2, "I -24.2 LUFS is 0.2 LU under I=-23+-1"},
      {"atsc-a85", -22.0, 0.2, "I -21.8 LUFS is 0.2 LU over I=-24+-2"},
      {"streaming-music-14", -13.0, 0.2, "I -12.8 LUFS is 0.2 LU over I=-14+-1"},
      {"streaming-music-16", -17.0, -0.2, "I -17.2 LUFS is 0.2 LU under I=-16+-1"},
  };
  for (const Case& c : cases) {
    const std::string edge = Tone(folder, "edge.wav", 48000, 144000, c.edge);
    MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--check", c.profile, edge});
    EXPECT_EQ(run.code, meter::kExitOk) << c.profile << "\n" << run.out;
    EXPECT_NE(run.out.find("check             pass (" + std::string(c.profile) + ")"), std::string::npos)
        << run.out;
    const std::string past = Tone(folder, "past.wav", 48000, 144000, c.edge + c.past);
    run = RunMeter({"--plugin", Kalvo5Path(), "--check", c.profile, past});
    EXPECT_EQ(run.code, meter::kExitCheckFailed) << c.profile;
    EXPECT_NE(run.out.find(c.failure), std::string::npos) << run.out;
  }
}

// The dialogue profile reads the dialogue-gated loudness of speech (the
// DIAL type, chosen for it), at the edge of its tolerance and past it.
TEST(MeterDelivery, TheDialogueProfileReadsTheLoudnessOfSpeech) {
  TempFolder folder;
  const std::string spoken = folder.Path("spoken.wav");
  ASSERT_EQ(std::system(("espeak-ng -s 150 -w '" + spoken +
                         "' 'The quick brown fox jumps over the lazy dog. She sells sea shells by the sea "
                         "shore. Loudness is measured over the dialogue only.'")
                            .c_str()),
            0);
  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "-t", "DIAL", spoken});
  const std::string reading = JsonReading(run.out, "OUT:DIAL IL");
  const auto at = reading.find("\"value\": ");
  ASSERT_NE(at, std::string::npos) << reading;
  const double loudness = std::stod(reading.substr(at + 9));
  int rate = 0;
  const auto speech = meter::test::ReadAudio(spoken, &rate);
  ASSERT_EQ(speech.size(), 1u);
  for (const double level : {-25.0, -24.8}) {
    const double gain = std::pow(10.0, (level - loudness) / 20.0);
    const std::string scaled = folder.Path("scaled.wav");
    WriteAudio(
        scaled, 1, rate, static_cast<long>(speech[0].size()),
        [&](int, long n) { return gain * speech[0][static_cast<std::size_t>(n)]; },
        SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    run = RunMeter({"--plugin", Kalvo5Path(), "--check", "streaming-dialogue", scaled});
    EXPECT_EQ(run.code, level == -25.0 ? meter::kExitOk : meter::kExitCheckFailed) << level << "\n"
                                                                                   << run.out;
    EXPECT_NE(run.out.find("OUT:DIAL IL"), std::string::npos) << run.out;
  }
  EXPECT_NE(run.out.find("DIAL I -24.8 LKFS is 0.2 LU over DIAL:I=-27+-2"), std::string::npos) << run.out;
}

// A custom check reads every criterion it names; the verdict and what
// failed reach the library view, its CSV and the JSON.
TEST(MeterDelivery, ACustomCheckReachesEveryOutputForm) {
  TempFolder folder;
  const std::string tone = Tone(folder, "tone.wav", 48000, 144000, -20.0);  // TP -19.9, peak -20.0, PLR 0.1
  const std::string csv = folder.Path("summary.csv");
  const std::string check = "I=-20+-0.5,TP<=-21,LRA<=15,PLR>=1,peak<=-19,M>=-30";
  MeterRun run =
      RunMeter({"--plugin", Kalvo5Path(), "--check", check, "--summary", "--summary-csv", csv, tone});
  EXPECT_EQ(run.code, meter::kExitCheckFailed) << run.err;
  EXPECT_EQ(meter::test::TableRow(run.out, tone).back(), "ok") << run.out;
  EXPECT_NE(run.out.find(" fail "), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("1 of 1 files failed the check"), std::string::npos) << run.err;
  EXPECT_NE(
      meter::test::Bytes(csv).find(",fail,TP -19.9 dBTP is 1.1 dB over TP<=-21; PLR 0.1 LU is 0.9 LU under "
                                   "PLR>=1\n"),
      std::string::npos)
      << meter::test::Bytes(csv);
  run = RunMeter({"--plugin", Kalvo5Path(), "--json", "--check", check, tone});
  EXPECT_NE(
      run.out.find("{\"criterion\": \"I=-20+-0.5\", \"value\": -20.0, \"unit\": \"LUFS\", \"pass\": true, "
                   "\"by\": null}"),
      std::string::npos)
      << run.out;
  EXPECT_NE(
      run.out.find("{\"criterion\": \"TP<=-21\", \"value\": -19.9, \"unit\": \"dBTP\", \"pass\": false, "
                   "\"by\": 1.1, \"failure\": \"TP -19.9 dBTP is 1.1 dB over TP<=-21\"}"),
      std::string::npos)
      << run.out;
}

}  // namespace
}  // namespace kalvo5::vst2test
