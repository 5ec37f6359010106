// The files the meter command writes: what it may replace, how they look.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "MeterTestSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

namespace fs = std::filesystem;

const std::string kPlugin = KALVO5_TEST_PLUGIN;

std::string ToneFile(const TempFolder& folder, int rate = 44100, long frames = 22050) {
  const std::string path = folder.Path("tone" + std::to_string(rate) + ".wav");
  WriteAudio(path, 2, rate, frames, [](int, long n) { return 0.25 * ((n / 50) % 2 ? 1.0 : -1.0); });
  return path;
}

int Mode(const std::string& path) {
  struct stat s {};
  return stat(path.c_str(), &s) == 0 ? static_cast<int>(s.st_mode & 07777) : -1;
}

// A file the caller may not write is refused as the shell's redirection
// refuses it, before anything is measured; a file it may write keeps its
// mode when replaced.
TEST(MeterOutput, WriteProtectedTargetsAreRefusedAndReplacedFilesKeepTheirMode) {
  TempFolder folder;
  fs::permissions(folder.Path(""), fs::perms::all);  // a shared folder others may write in
  const std::string input = ToneFile(folder);
  const std::string locked = folder.Path("old.csv");
  std::ofstream(locked) << "precious\n";
  chmod(locked.c_str(), 0444);
  // The superuser may write anything; the test then runs the meter as nobody.
  const std::string as = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
  const MeterRun run =
      RunMeterProgram("--plugin '" + kPlugin + "' --csv '" + locked + "' '" + input + "'", as);
  EXPECT_EQ(run.code, kExitOutput) << run.err;
  EXPECT_NE(run.err.find("--csv: cannot write " + locked + ": Permission denied"), std::string::npos)
      << run.err;
  EXPECT_EQ(Bytes(locked), "precious\n");
  EXPECT_EQ(Mode(locked), 0444);

  const std::string shared = folder.Path("shared.csv");
  std::ofstream(shared) << "old\n";
  chmod(shared.c_str(), 0640);
  const MeterRun replaced = RunMeter({"--plugin", kPlugin, "--csv", shared, input});
  ASSERT_EQ(replaced.code, kExitOk) << replaced.err;
  EXPECT_TRUE(Bytes(shared).starts_with("time,")) << Bytes(shared);
  EXPECT_EQ(Mode(shared), 0640);
}

// Outputs that only one file can fill are refused for a folder of several
// files too, before anything is written.
TEST(MeterOutput, SingleFileOutputsAreRefusedForSeveralFilesAlsoThroughAFolder) {
  TempFolder folder;
  fs::create_directories(folder.Path("lib"));
  const std::string one = ToneFile(folder);
  fs::copy_file(one, folder.Path("lib/a.wav"));
  fs::copy_file(one, folder.Path("lib/b.wav"));
  for (const char* option : {"--output", "--csv", "--snapshot"}) {
    const std::string output = folder.Path("out.wav");
    for (const auto& files : {std::vector<std::string>{"-r", folder.Path("lib")}, {one, one}}) {
      std::vector<std::string> args = {"--plugin", kPlugin, option, output};
      args.insert(args.end(), files.begin(), files.end());
      const MeterRun run = RunMeter(args);
      EXPECT_EQ(run.code, kExitUsage) << option;
      EXPECT_NE(run.err.find(std::string(option) + " takes one audio file at a time, got 2"),
                std::string::npos)
          << run.err;
      EXPECT_FALSE(fs::exists(output)) << option;
    }
  }
}

// An output named by a symbolic link is written through it, as the shell
// writes: the link stays, its target (existing or not yet) gets the data.
TEST(MeterOutput, OutputsNamedByLinksWriteThroughThem) {
  TempFolder folder;
  const std::string input = ToneFile(folder);
  fs::create_directories(folder.Path("deliveries"));
  std::ofstream(folder.Path("deliveries/old.csv")) << "stale\n";
  fs::create_symlink("deliveries/old.csv", folder.Path("timeline.csv"));
  fs::create_symlink(folder.Path("deliveries/new.wav"), folder.Path("audio.wav"));
  fs::create_symlink("deliveries/summary.csv", folder.Path("summary.csv"));
  const MeterRun run =
      RunMeter({"--plugin", kPlugin, "--csv", folder.Path("timeline.csv"), "-o", folder.Path("audio.wav"),
                "--summary-csv", folder.Path("summary.csv"), input});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  for (const char* link : {"timeline.csv", "audio.wav", "summary.csv"})
    EXPECT_TRUE(fs::is_symlink(folder.Path(link))) << link;
  EXPECT_TRUE(Bytes(folder.Path("deliveries/old.csv")).starts_with("time,"));
  EXPECT_EQ(ReadAudio(folder.Path("deliveries/new.wav")).size(), 2u);
  EXPECT_FALSE(Bytes(folder.Path("deliveries/summary.csv")).empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("deliveries")), fs::directory_iterator()), 3);
}

// A FLAC output of samples beyond full scale (here a float source with such
// peaks) is clipped and the clipped samples counted; the readings stand.
TEST(MeterOutput, IntegerOutputsClipWithAWarning) {
  TempFolder folder;
  const std::string loud = folder.Path("loud.wav");
  WriteAudio(
      loud, 2, 48000, 48000, [](int, long n) { return n % 48 < 4 ? 1.5 : 0.05; },
      SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  const MeterRun run = RunMeter({"--plugin", kPlugin, "-o", folder.Path("a.flac"), loud});
  EXPECT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.err.find("8000 samples beyond full scale were clipped in the 24-bit FLAC file"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("OUT:Frames"), std::string::npos) << run.out;
  double largest = 0.0;
  for (const auto& channel : ReadAudio(folder.Path("a.flac")))
    for (double sample : channel) largest = std::max(largest, std::fabs(sample));
  EXPECT_GT(largest, 0.99);
  EXPECT_LE(largest, 1.0);
}

// An output the system stops taking (here: a file size limit) is an output
// failure, worded as one, after the readings.
TEST(MeterOutput, AnOutputWriteFailureKeepsTheReadings) {
  TempFolder folder;
  const std::string input = ToneFile(folder, 48000, 96000);
  const MeterRun run =
      RunMeterProgram("--plugin '" + kPlugin + "' -o '" + folder.Path("x.wav") + "' '" + input + "'",
                      "trap '' XFSZ; ulimit -f 16;");
  EXPECT_EQ(run.code, kExitOutput) << run.err;
  EXPECT_NE(run.err.find("--output: cannot write audio file " + folder.Path("x.wav")), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("could not be read"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("OUT:Frames"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(folder.Path("x.wav")));
}

TEST(MeterOutput, AnOutputThatCannotBeWrittenSaysWhy) {
  TempFolder folder;
  const std::string csv = folder.Path("no/such/folder/t.csv");
  const MeterRun run = RunMeter({"--plugin", kPlugin, "--csv", csv, ToneFile(folder)});
  EXPECT_EQ(run.code, kExitOutput);
  EXPECT_NE(run.err.find("--csv: cannot create " + csv + ": No such file or directory"), std::string::npos)
      << run.err;
}

// The plug-in's 50 ms period is a whole number of frames (1102 at
// 22.05 kHz): each row carries the moment its period ended.
TEST(MeterOutput, TimelineRowsCarryTheirExactTime) {
  TempFolder folder;
  const std::string input = ToneFile(folder, 22050, 22050);
  const std::string csv = folder.Path("t.csv");
  const MeterRun run = RunMeter({"--plugin", kPlugin, "-t", "EBU", "--csv", csv, input});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  std::ifstream in(csv);
  std::string line;
  std::getline(in, line);
  int rows = 0;
  while (std::getline(in, line)) {
    ++rows;
    EXPECT_NEAR(std::stod(line), rows * 1102 / 22050.0, 5e-7) << line;
  }
  EXPECT_EQ(rows, 22050 / 1102);
}

}  // namespace
}  // namespace kalvo5::meter::test
