// The meter command end to end: a test plug-in loaded through its real entry
// point reports what it measured and how the host drove it.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>

#include "MeterTestSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

const std::string kPlugin = KALVO5_TEST_PLUGIN;

std::vector<std::string> With(std::vector<std::string> args) {
  args.insert(args.begin(), {"--plugin", kPlugin, "--json"});
  return args;
}

// 2.5 s and 861 frames of noise at 44.1 kHz, 16 bit (exact in 32-bit floats
// too): 50 automation periods of 2205 frames and a part-period.
constexpr long kNoiseFrames = 111111;

std::string NoiseFile(const TempFolder& folder, int channels = 2) {
  const std::string path = folder.Path("noise" + std::to_string(channels) + ".wav");
  unsigned state = 12345;
  WriteAudio(path, channels, 44100, kNoiseFrames, [&](int, long) {
    state = state * 1664525u + 1013904223u;
    return (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 0.5;
  });
  return path;
}

TEST(MeterCommand, ReferenceSignalIsDrivenLikeAnOfflineRender) {
  const MeterRun run = RunMeter(With({"--type", "EBU"}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  const auto values = JsonDisplays(run.out, "values");
  EXPECT_EQ(values.at("OUT:Problems"), "0");  // resumed, started, offline, playing, positions continuous
  EXPECT_EQ(values.at("OUT:Rate"), "48000");
  EXPECT_EQ(values.at("OUT:Frames"), "960000");  // 20 s
  EXPECT_EQ(values.at("OUT:Peak"), "-23.0000");
  EXPECT_TRUE(run.out.starts_with("{\n  \"schemaVersion\": 3,\n")) << run.out;
  EXPECT_NE(run.out.find("\"entry\": \"VSTPluginMain\""), std::string::npos);
  EXPECT_NE(run.out.find("\"channels\": 2"), std::string::npos);
  // The host switched the plug-in's automation output on and set the layout
  // for a stereo signal.
  const auto settings = JsonDisplays(run.out, "settings");
  EXPECT_EQ(settings.at("WriteAutomationData"), "On");
  EXPECT_EQ(settings.at("EBU Channel Config"), "2.0");
  EXPECT_EQ(settings.at("Type"), "EBU");
}

TEST(MeterCommand, TypeAllMeasuresEveryAnalyzerTypeOnTheSameBlocksSideBySide) {
  TempFolder folder;
  const std::string file = NoiseFile(folder);
  const MeterRun run = RunMeter(With({"--type", "all", "-b", "1000", file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  std::map<std::string, std::string> first;
  for (const char* type : {"RMS", "EBU", "DIAL"}) {
    EXPECT_EQ(JsonDisplays(run.out, "settings", type).at("Type"), type);
    const auto values = JsonDisplays(run.out, "values", type);
    EXPECT_EQ(values.at("OUT:Problems"), "0") << type;
    if (first.empty()) first = values;
    EXPECT_EQ(values, first) << type;  // the same audio, sum included
  }

  // The table has a column per type.
  const MeterRun table = RunMeter({"--plugin", kPlugin, "-t", "ALL", "-b", "1000", file});
  ASSERT_EQ(table.code, kExitOk) << table.err;
  EXPECT_EQ(TableRow(table.out, "reading"), (std::vector<std::string>{"RMS", "EBU", "DIAL"})) << table.out;
  EXPECT_EQ(TableRow(table.out, "Frames"), std::vector<std::string>(3, std::to_string(kNoiseFrames)));
}

TEST(MeterCommand, BlockSizesAndPrecisionsGiveIdenticalReadingsOfEveryFrame) {
  TempFolder folder;
  const std::string file = NoiseFile(folder);
  std::map<std::string, std::string> first;
  for (const char* precision : {"64", "32"}) {
    for (const char* block : {"32", "441", "4096"}) {
      const MeterRun run =
          RunMeter(With({"-t", "RMS", "--block-size", block, "--precision", precision, file}));
      ASSERT_EQ(run.code, kExitOk) << run.err;
      const auto values = JsonDisplays(run.out, "values");
      const std::string what = std::string(block) + " frames, " + precision + " bit";
      EXPECT_EQ(values.at("OUT:Problems"), "0") << what;
      // The part-period after the last full one is read too: the plug-in
      // reports it when processing stops.
      EXPECT_EQ(values.at("OUT:Frames"), std::to_string(kNoiseFrames)) << what;
      if (first.empty()) first = values;
      EXPECT_EQ(values, first) << what;
    }
  }
}

TEST(MeterCommand, TimelineHasOneRowPerFiftyMillisecondsOfAudio) {
  TempFolder folder;
  const std::string file = NoiseFile(folder);
  const std::string csv = folder.Path("timeline.csv");
  for (const char* block : {"1000", "4096"}) {
    const MeterRun run = RunMeter(With({"--type", "EBU", "--csv", csv, "-b", block, file}));
    ASSERT_EQ(run.code, kExitOk) << run.err;
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line,
              "time,OUT:Sum,OUT:Sum display,OUT:Peak,OUT:Peak display,OUT:Frames,OUT:Frames display,"
              "OUT:Problems,OUT:Problems display,OUT:Rate,OUT:Rate display");
    int rows = 0;
    while (std::getline(in, line)) {
      ++rows;
      std::stringstream fields(line);
      std::string time, frames;
      std::getline(fields, time, ',');
      for (int skip = 0; skip < 5; ++skip) std::getline(fields, frames, ',');
      // Each row holds the values at exactly its moment of the audio.
      EXPECT_EQ(frames, std::to_string(2205 * rows)) << "blocks of " << block << ", row " << rows;
      EXPECT_NEAR(std::stod(time), 0.05 * rows, 1e-9);
    }
    EXPECT_EQ(rows, 50) << "blocks of " << block;  // the part-period at the end makes no row
  }

  // Side by side, a name every type writes is qualified by its type.
  const MeterRun run = RunMeter(With({"--type", "all", "--csv", csv, file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  std::ifstream in(csv);
  std::string header;
  std::getline(in, header);
  EXPECT_TRUE(header.starts_with("time,RMS OUT:Sum,RMS OUT:Sum display,RMS OUT:Peak,")) << header;
  EXPECT_NE(header.find(",EBU OUT:Sum,"), std::string::npos) << header;
  EXPECT_TRUE(header.ends_with(",DIAL OUT:Rate,DIAL OUT:Rate display")) << header;
}

TEST(MeterCommand, ParametersAreSetByNameAndDisplayedText) {
  TempFolder folder;
  const std::string file = NoiseFile(folder);
  // The plug-in takes exact entry texts itself; other spellings are found on
  // its display.
  MeterRun run = RunMeter(With({"--set", "shape=hard", "--set", "Gain=-6", "--set", "Shape=soft", file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  auto settings = JsonDisplays(run.out, "settings");
  EXPECT_EQ(settings.at("Shape"), "Soft");  // the middle entry of a list, the last --set wins
  EXPECT_EQ(settings.at("Gain"), "-6.00");
  const MeterRun reference = RunMeter(With({file}));
  const double peak = std::stod(JsonDisplays(run.out, "values").at("OUT:Peak"));
  const double unity = std::stod(JsonDisplays(reference.out, "values").at("OUT:Peak"));
  EXPECT_NEAR(peak - unity, -6.0, 1e-4);  // the middle of what shows as -6.00

  // A value between display steps lands on the closest one.
  run = RunMeter(With({"--set", "Gain=-12.3456", file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "settings").at("Gain"), "-12.35");

  // The file's layout can be overridden explicitly, with a warning when it
  // measures another number of channels than the file has.
  run = RunMeter(With({"--set", "EBU Channel Config=5.1", file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "settings").at("EBU Channel Config"), "5.1");
  EXPECT_NE(run.err.find("warning: " + file + ": EBU Channel Config 5.1 measures 6 channels; the file has 2"),
            std::string::npos)
      << run.err;
  run = RunMeter(With({"-t", "EBU", "--set", "EBU Channel Config=1.0", file}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("EBU Channel Config 1.0 measures 1 of the file's 2 channels"), std::string::npos)
      << run.out;
}

TEST(MeterCommand, RefusedSettingsFailWithTheirReason) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--set", "Gain=40"}, "outside the range"},
      {{"--set", "Shape=Wobbly"}, "never shows \"Wobbly\""},
      // A list takes only its own entries, also when they look like numbers.
      {{"--set", "EBU Channel Config=3.0"}, "never shows \"3.0\" (its entries: 1.0, 2.0, 4.0, 4.1, 5.1)"},
      {{"--set", "EBU Channel Config=2"}, "never shows \"2\""},
      {{"--set", "Shape=1"}, "never shows \"1\" (its entries: Flat, Soft, Hard)"},
      {{"--set", "Volume=1"}, "no parameter named \"Volume\""},
  };
  for (const auto& c : cases) {
    const MeterRun run = RunMeter(With(c.args));
    EXPECT_EQ(run.code, kExitPlugin) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST(MeterCommand, PresetFileReachesThePluginAsProgramChunk) {
  TempFolder folder;
  const std::string preset = folder.Path("quiet.vrs");
  std::ofstream(preset)
      << "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n    <Preset name=\"q\">\n"
         "        <Parameter>\n            <Param name=\"Gain\" val=\"-12.000000\" />\n"
         "            <Param name=\"Shape\" val=\"2.000000\" />\n        </Parameter>\n"
         "    </Preset>\n</PresetXMLTree>\n";
  MeterRun run = RunMeter(With({"--preset", preset, "--all"}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  const auto values = JsonDisplays(run.out, "values");
  EXPECT_EQ(values.at("Gain"), "-12.00");
  EXPECT_EQ(values.at("Shape"), "Hard");
  EXPECT_EQ(values.at("OUT:Peak"), "-35.0000");

  // Settings on the command line apply after the preset.
  run = RunMeter(With({"--preset", preset, "--set", "Gain=0"}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Peak"), "-23.0000");

  const std::string foreign = folder.Path("notes.vrs");
  std::ofstream(foreign) << "<notes>nothing here</notes>\n";
  run = RunMeter(With({"--preset", foreign}));
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("not a preset file"), std::string::npos) << run.err;
  EXPECT_EQ(RunMeter(With({"--preset", folder.Path("missing.vrs")})).code, kExitInput);
  run = RunMeter(With({"--preset", folder.Path("")}));
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("not a preset file (a folder)"), std::string::npos) << run.err;
}

TEST(MeterCommand, TotalMeasuresTheFilesAsOneProgramme) {
  TempFolder folder;
  const std::string loud = folder.Path("loud.wav"), quiet = folder.Path("quiet.wav"),
                    other = folder.Path("x.wav");
  WriteAudio(loud, 2, 48000, 30000, [](int, long n) { return n == 100 ? 0.5 : 0.01; });
  WriteAudio(quiet, 2, 48000, 12345, [](int, long) { return 0.01; });
  WriteAudio(other, 2, 44100, 100, [](int, long) { return 0.0; });

  MeterRun run = RunMeter(With({"-t", "RMS", "--total", quiet, loud}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  const auto total = run.out.find("\"total\": {");
  ASSERT_NE(total, std::string::npos) << run.out;
  const std::string part = run.out.substr(total);
  EXPECT_NE(part.find("\"source\": \"total of 2 files\""), std::string::npos);
  const auto values = JsonDisplays(part, "values");
  EXPECT_EQ(values.at("OUT:Frames"), "42345");
  EXPECT_EQ(values.at("OUT:Peak"), "-6.0206");                           // the loud file's peak, read second
  EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Frames"), "12345");  // the files stay apart

  run = RunMeter(With({"--total", loud, other}));
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("one sample rate and channel count"), std::string::npos) << run.err;
}

TEST(MeterCommand, ProgramsAreListedAndChosenByName) {
  MeterRun run = RunMeter({"--plugin", kPlugin, "--list-presets"});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Test Meter: 3 programs\n   0   Unity\n   1   Quiet\n   2   Hot\n");

  run = RunMeter(With({"--preset-name", "quiet", "-t", "RMS"}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Peak"), "-35.0000");  // -23 dBFS and -12 dB

  run = RunMeter(With({"--preset-name", "Loud"}));
  EXPECT_EQ(run.code, kExitPlugin);
  EXPECT_NE(run.err.find("no program named \"Loud\" (its programs: \"Unity\", \"Quiet\", \"Hot\")"),
            std::string::npos)
      << run.err;
}

TEST(MeterCommand, ReadsEveryFileFormatAndLayoutUpToSixChannels) {
  TempFolder folder;
  struct Format {
    const char* name;
    int format;
  };
  const Format formats[] = {{"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
                            {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                            {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                            {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16}};
  const int layouts[] = {1, 2, 4, 5, 6};
  const char* const configs[] = {"1.0", "2.0", "4.0", "4.1", "5.1"};
  for (std::size_t i = 0; i < std::size(layouts); ++i) {
    const Format& f = formats[i % std::size(formats)];
    const std::string path = folder.Path(std::to_string(layouts[i]) + f.name);
    WriteAudio(
        path, layouts[i], 32000, 16000,
        [](int c, long n) { return 0.25 * std::sin(0.05 * static_cast<double>(n) + c); }, f.format);
    const MeterRun run = RunMeter(With({path}));
    ASSERT_EQ(run.code, kExitOk) << path << ": " << run.err;
    EXPECT_NE(run.out.find("\"channels\": " + std::to_string(layouts[i])), std::string::npos);
    EXPECT_EQ(JsonDisplays(run.out, "settings").at("EBU Channel Config"), configs[i]) << path;
    EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Frames"), "16000") << path;
    EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Rate"), "32000") << path;
  }
}

TEST(MeterCommand, BadInputsFailClearlyWithTheirOwnExitCodes) {
  TempFolder folder;
  const std::string seven = folder.Path("seven.wav");
  WriteAudio(seven, 7, 48000, 100, [](int, long) { return 0.0; });
  const std::string garbage = folder.Path("garbage.wav");
  std::ofstream(garbage) << "this is no audio";

  struct Case {
    std::vector<std::string> args;
    int code;
    const char* message;
  };
  const Case cases[] = {
      {{"--plugin", kPlugin, folder.Path("missing.wav")}, kExitInput, "audio file not found"},
      {{"--plugin", kPlugin, garbage}, kExitInput, "cannot read audio file"},
      {{"--plugin", kPlugin, seven}, kExitInput, "unsupported channel count 7"},
      {{"--plugin", kPlugin, folder.Path("")}, kExitInput, "a folder"},
      {{"--plugin", folder.Path("nothing.so")}, kExitPlugin, "plug-in not found"},
      {{"--plugin", garbage}, kExitPlugin, "cannot load plug-in"},
      {{"--plugin", KALVO5_TEST_NOT_A_PLUGIN}, kExitPlugin, "exports neither VSTPluginMain nor main"},
      {{"--block-size", "0"}, kExitUsage, "block size"},
      {{"--frobnicate"}, kExitUsage, "unknown option"},
      // Delivery profiles: a name, or criteria that each say what they read.
      {{"--check", "ebu"}, kExitUsage, "--check: unknown profile \"ebu\" (the profiles: ebu-r128 "},
      {{"--check", "I=-23"}, kExitUsage, "\"I=-23\": = takes a tolerance: VALUE+-TOLERANCE"},
      {{"--check", "I=-23+-0.5,Loud<=1"}, kExitUsage, "\"Loud<=1\": the readings are I, LRA, TP, M, S, PLR"},
      {{"--check", "DIAL:M<=-10"}, kExitUsage, "the DIAL type has no M reading"},
      {{"--check", "TP<=x"}, kExitUsage, "no number after <="},
      {{"--check", "I=-23+--1"}, kExitUsage, "the tolerance is a number, 0 or more"},
      {{"--check", "DIAL:I=-27+-2", "--type", "EBU"},
       kExitUsage,
       "--check reads the DIAL type, which --type EBU"},
      {{"--set", "Gain"}, kExitUsage, "NAME=TEXT"},
      {{"--plugin", kPlugin, "--type", "LUFS"},
       kExitUsage,
       "--type: unknown type \"LUFS\" (the plug-in's types: "},
      {{"--plugin", kPlugin, "--output", folder.Path("no/such/folder/out.wav")},
       kExitOutput,
       "cannot create"},
  };
  for (const auto& c : cases) {
    const MeterRun run = RunMeter(c.args);
    EXPECT_EQ(run.code, c.code) << c.message << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  // A bad command line gets one line and a pointer to the help, not the help.
  const MeterRun run = RunMeter({"--frobnicate"});
  EXPECT_EQ(run.err,
            "kalvo5-meter: unknown option --frobnicate\nTry \"kalvo5-meter --help\" for the options.\n");
}

TEST(MeterCommand, DamagedInputIsMeasuredAsFarAsItGoesAndReported) {
  TempFolder folder;
  const std::string nonFinite = folder.Path("nan.wav");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  WriteAudio(
      nonFinite, 2, 44100, 4410,
      [&](int c, long n) { return n % 1000 == 7 && c == 1 ? nan
                                  : n == 99               ? infinity
                                                          : 0.1; },
      SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  const std::string shortWav = NoiseFile(folder, 1);
  std::filesystem::resize_file(shortWav, 44 + 2 * 50000);
  const std::string shortFlac = folder.Path("short.flac");
  unsigned state = 1;
  WriteAudio(
      shortFlac, 1, 44100, 44100,
      [&](int, long) {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 16777216.0 - 0.5;
      },
      SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  std::filesystem::resize_file(shortFlac, std::filesystem::file_size(shortFlac) / 2);

  struct Case {
    std::string path, finding, frames;
  };
  const Case cases[] = {
      {nonFinite, "7 non-finite samples (NaN or infinite)", "4410"},
      {shortWav, "the file ends before its header says", "50000"},
      {shortFlac, "the file ends before its header says: ", ""},
  };
  for (const auto& c : cases) {
    const MeterRun run = RunMeter(With({"-t", "RMS", c.path}));
    EXPECT_EQ(run.code, kExitDamaged) << c.path;
    EXPECT_NE(run.err.find("warning: " + c.path + ": " + c.finding), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\"damaged\": true"), std::string::npos);
    EXPECT_NE(run.out.find(c.finding), std::string::npos) << run.out;
    if (c.path == nonFinite) {
      EXPECT_NE(
          run.out.find("\"display\": \"nan\", \"label\": \"\", \"value\": null, \"reason\": \"the display is "
                       "not a number\"}"),
          std::string::npos)
          << run.out;
    }
    if (!c.frames.empty()) {
      EXPECT_EQ(JsonDisplays(run.out, "values").at("OUT:Frames"), c.frames);
    }
  }
  const MeterRun sound = RunMeter(With({"-t", "RMS"}));
  EXPECT_EQ(sound.code, kExitOk);
  EXPECT_NE(sound.out.find("\"damaged\": false"), std::string::npos);
}

TEST(MeterCommand, ProgramReportsFailuresThroughItsExitStatus) {
  // A plug-in whose entry point creates nothing.
  MeterRun run = RunMeterProgram("--plugin '" + kPlugin + "'", "KALVO5_TEST_PLUGIN_REFUSE=1");
  EXPECT_EQ(run.code, kExitPlugin);
  EXPECT_NE(run.err.find("created no instance"), std::string::npos) << run.err;

  // No Kalvo5.so where it is looked for.
  run = RunMeterProgram("", "KALVO5_PLUGIN=/nonexistent/Kalvo5.so");
  EXPECT_EQ(run.code, kExitPlugin);
  EXPECT_NE(run.err.find("Kalvo5.so not found"), std::string::npos) << run.err;

  run = RunMeterProgram("--plugin '" + kPlugin + "' --type RMS --set Gain=-6");
  EXPECT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("OUT:Peak"), std::string::npos);
  EXPECT_NE(run.out.find("-29.0000  dBFS"), std::string::npos) << run.out;
  EXPECT_TRUE(run.err.empty()) << run.err;  // no progress bar when standard error is no terminal
}

TEST(MeterCommand, WritesThePluginOutputAsAudioOfTheTypeItsNameSays) {
  TempFolder folder;
  const std::string input = NoiseFile(folder, 1);
  const auto in = ReadAudio(input);
  const double gain = std::pow(10.0, -6.0 / 20.0);
  struct Output {
    const char* name;
    int type;
    double tolerance;
  };
  for (const Output& o : {Output{"out.wav", SF_FORMAT_WAV, 1e-6}, Output{"out.FLAC", SF_FORMAT_FLAC, 1e-6}}) {
    const std::string output = folder.Path(o.name);
    const MeterRun run = RunMeter(With({"--set", "Gain=-6", "--output", output, "-b", "333", input}));
    ASSERT_EQ(run.code, kExitOk) << run.err;
    SF_INFO info{};
    SNDFILE* file = sf_open(output.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    EXPECT_EQ(info.format & SF_FORMAT_TYPEMASK, o.type) << o.name;
    int rate = 0;
    const auto out = ReadAudio(output, &rate);
    ASSERT_EQ(out.size(), 1u);  // as many channels as the file, not the plug-in's six
    ASSERT_EQ(out[0].size(), in[0].size());
    EXPECT_EQ(rate, 44100);
    for (std::size_t n = 0; n < in[0].size(); n += 97)
      ASSERT_NEAR(out[0][n], gain * in[0][n], o.tolerance) << n;
  }
  const MeterRun run = RunMeter(With({"--output", folder.Path("out.mp3"), input}));
  EXPECT_EQ(run.code, kExitUsage);
  EXPECT_NE(run.err.find("unknown audio file type"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder.Path("out.mp3")));
}

TEST(MeterCommand, OutputsNeverReplaceAnInputAndAppearOnlyWhenComplete) {
  TempFolder folder;
  const std::string input = NoiseFile(folder, 1);
  const std::string before = Bytes(input);
  const std::string link = folder.Path("link.wav");
  std::filesystem::create_symlink(input, link);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"-o", input, input},
                                             {"-o", link, input},
                                             {"--csv", input, input},
                                             {"-o", folder.Path("a.wav"), "-c", folder.Path("a.wav")}}) {
    const MeterRun run = RunMeter(With(args));
    EXPECT_EQ(run.code, kExitUsage) << args[1];
    EXPECT_NE(run.err.find("same file"), std::string::npos) << run.err;
  }
  EXPECT_EQ(Bytes(input), before);

  // A finished run leaves its outputs and nothing else.
  const MeterRun run = RunMeter(With({"-o", folder.Path("out.wav"), "-c", folder.Path("out.csv"), input}));
  ASSERT_EQ(run.code, kExitOk) << run.err;
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"noise1.wav", "link.wav", "out.wav", "out.csv"}));
}

TEST(MeterCommand, IsInstalledWithThePlugin) {
  // The build folder holds the program in tools/ and the install folder in
  // its cache; DESTDIR keeps the test's install apart from the user's. The
  // meter's own install script is what "cmake --install" runs for it, without
  // the manifest the whole install writes into the build folder.
  const std::filesystem::path build = std::filesystem::path(KALVO5_METER_PROGRAM).parent_path().parent_path();
  std::string folder;
  std::ifstream cache(build / "CMakeCache.txt");
  for (std::string line; std::getline(cache, line);) {
    if (line.starts_with("KALVO5_METER_INSTALL_DIR:")) folder = line.substr(line.find('=') + 1);
  }
  ASSERT_FALSE(folder.empty()) << "no KALVO5_METER_INSTALL_DIR in " << build / "CMakeCache.txt";
  TempFolder root;
  const std::string command = "DESTDIR='" + root.Path("") + "' cmake -DCMAKE_INSTALL_COMPONENT=meter -P '" +
                              (build / "tools" / "cmake_install.cmake").string() + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string installed = root.Path("") + folder + "/kalvo5-meter";
  ASSERT_TRUE(std::filesystem::exists(installed)) << installed;
  EXPECT_EQ(std::system(("'" + installed + "' --help >/dev/null").c_str()), 0);
}

TEST(MeterCommand, ListsParametersAndPrintsAReadableTable) {
  MeterRun run = RunMeter({"--plugin", kPlugin, "--list"});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Test Meter: 10 parameters, 6 inputs, 6 outputs"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n   0   Gain                 -0.00  dB     [-60.00 ... 12.00]\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n   4   EBU Channel Config   2.0           [1.0 | 2.0 | 4.0 | 4.1 | 5.1]\n"),
            std::string::npos)
      << run.out;

  run = RunMeter({"--plugin", kPlugin, "--type", "all"});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Test Meter by Kalvo5 Tests"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("48000 Hz, 2 channels, 20.000 s, blocks of 512 frames, 64-bit processing"),
            std::string::npos)
      << run.out;
  EXPECT_NE(
      run.out.find("\n  Peak      -23.0000  dBFS            -23.0000  dBFS            -23.0000  dBFS\n"),
      std::string::npos)
      << run.out;

  // Without a type: the EBU type's readings, and of the settings only those
  // of the measurement, not the host's automation switch.
  run = RunMeter({"--plugin", kPlugin});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\n  Type                EBU\n  EBU Channel Config  2.0\n\n  OUT:Sum  "),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("WriteAutomationData"), std::string::npos) << run.out;

  run = RunMeter({"--plugin", kPlugin, "--type", "DIAL"});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("\n  Type          DIAL\n\n  OUT:Sum  "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n  OUT:Peak      -23.0000  dBFS\n"), std::string::npos) << run.out;
}

// A library: many files measured at once give the reports one-by-one
// metering gives, in the order of the files, past the ones that cannot be
// read, which are listed at the end with a failing exit status; a folder
// stands for its audio files with --recursive; a file without frames says
// so instead of listing readings.
TEST(MeterCommand, ManyFilesAreMeasuredInParallelInTheirOrderPastBadOnes) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path("lib/sub"));
  const std::string stereo = NoiseFile(folder, 2);
  const std::string mono = NoiseFile(folder, 1);
  std::filesystem::copy_file(stereo, folder.Path("lib/a.wav"));
  std::filesystem::copy_file(mono, folder.Path("lib/sub/b.wav"));
  const std::string empty = folder.Path("lib/c.wav");
  WriteAudio(empty, 2, 48000, 0, [](int, long) { return 0.0; });
  std::ofstream(folder.Path("lib/notes.txt")) << "not audio, not listed";
  const std::string garbage = folder.Path("lib/sub/garbage.wav");
  std::ofstream(garbage) << "this is no audio";
  const std::string missing = folder.Path("missing.wav");

  const std::vector<std::string> files = {stereo, missing, empty, mono, garbage, stereo};
  std::vector<std::string> serial = {"--plugin", kPlugin, "-t", "RMS", "--details", "--jobs", "1"};
  serial.insert(serial.end(), files.begin(), files.end());
  std::vector<std::string> parallel = {"--plugin", kPlugin, "-t", "RMS", "--details", "-j", "3"};
  parallel.insert(parallel.end(), files.begin(), files.end());
  const MeterRun one = RunMeter(serial);
  const MeterRun many = RunMeter(parallel);
  EXPECT_EQ(one.code, kExitInput) << one.err;
  EXPECT_EQ(many.code, kExitInput) << many.err;
  EXPECT_EQ(many.out, one.out);
  EXPECT_EQ(many.err, one.err);
  EXPECT_NE(one.err.find("audio file not found: " + missing), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("cannot read audio file " + garbage), std::string::npos) << one.err;
  EXPECT_NE(one.err.find("2 of 6 files could not be read"), std::string::npos) << one.err;
  EXPECT_NE(one.out.find("6 files: 4 measured, 2 could not be read"), std::string::npos) << one.out;
  EXPECT_NE(one.out.find("no audio: the file holds no frames"), std::string::npos) << one.out;
  // In the order of the files: stereo, empty, mono, stereo again.
  const std::size_t first = one.out.find("\n" + stereo + "\n");
  const std::size_t second = one.out.find("\n" + empty + "\n", first);
  const std::size_t third = one.out.find("\n" + mono + "\n", second);
  const std::size_t fourth = one.out.find("\n" + stereo + "\n", third);
  EXPECT_NE(fourth, std::string::npos) << one.out;

  // The folder: its four audio files in name order, the garbage among them.
  const MeterRun library = RunMeter({"--plugin", kPlugin, "-t", "RMS", "--recursive", folder.Path("lib")});
  EXPECT_EQ(library.code, kExitInput) << library.err;
  EXPECT_NE(library.out.find("4 files: 3 measured, 1 could not be read"), std::string::npos) << library.out;
  EXPECT_LT(library.out.find(folder.Path("lib/a.wav")), library.out.find(folder.Path("lib/sub/b.wav")));
  EXPECT_EQ(library.out.find("notes.txt"), std::string::npos);

  // "-j" alone still asks for JSON.
  const MeterRun json = RunMeter({"--plugin", kPlugin, "-t", "RMS", "-j", mono});
  EXPECT_EQ(json.code, kExitOk) << json.err;
  EXPECT_EQ(json.out.rfind("{", 0), 0u) << json.out;
}

// Standard input as a WAV file, also with the unknown length that
// "ffmpeg ... -f wav -" writes, or as raw float samples reads as the file
// does; --version names the release.
TEST(MeterCommand, ReadsStandardInputAndTellsItsVersion) {
  TempFolder folder;
  const std::string stereo = NoiseFile(folder, 2);
  const std::string raw = folder.Path("noise.f32");
  {
    const auto audio = ReadAudio(stereo);
    std::ofstream file(raw, std::ios::binary);
    for (std::size_t n = 0; n < audio[0].size(); ++n)
      for (const auto& channel : audio) {
        const auto v = static_cast<float>(channel[n]);
        file.write(reinterpret_cast<const char*>(&v), sizeof v);
      }
  }
  // What a writer that cannot seek back leaves: the largest sizes in place
  // of the RIFF and data lengths.
  const std::string streamed = folder.Path("streamed.wav");
  std::filesystem::copy_file(stereo, streamed);
  {
    std::fstream file(streamed, std::ios::in | std::ios::out | std::ios::binary);
    const char unknown[4] = {'\xff', '\xff', '\xff', '\xff'};
    file.seekp(4);
    file.write(unknown, 4);
    file.seekp(40);
    file.write(unknown, 4);
  }
  const std::string base = "--plugin '" + kPlugin + "' -t RMS --json ";
  const MeterRun fromFile = RunMeterProgram(base + "'" + stereo + "'");
  const MeterRun fromStream = RunMeterProgram(base + "- < '" + streamed + "'");
  EXPECT_EQ(fromStream.code, kExitOk) << fromStream.err;  // an unknown length is no damage
  EXPECT_EQ(JsonDisplays(fromStream.out, "values"), JsonDisplays(fromFile.out, "values"));
  const MeterRun fromPipe = RunMeterProgram(base + "- < '" + stereo + "'");
  // Raw samples through a pipe announce no length at all.
  const MeterRun fromRaw = RunMeterProgram(base + "--rate 44100 --channels 2 -", "cat '" + raw + "' |");
  ASSERT_EQ(fromFile.code, kExitOk) << fromFile.err;
  EXPECT_EQ(fromPipe.code, kExitOk) << fromPipe.err;
  EXPECT_EQ(fromRaw.code, kExitOk) << fromRaw.err;
  EXPECT_EQ(JsonDisplays(fromPipe.out, "values"), JsonDisplays(fromFile.out, "values"));
  EXPECT_EQ(JsonDisplays(fromRaw.out, "values"), JsonDisplays(fromFile.out, "values"));

  const MeterRun version = RunMeter({"--version"});
  EXPECT_EQ(version.code, kExitOk);
  EXPECT_EQ(version.out, std::string("kalvo5-meter ") + KALVO5_VERSION_TEXT + "\n");
}

}  // namespace
}  // namespace kalvo5::meter::test
