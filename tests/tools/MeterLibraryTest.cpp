// The meter command on a library of files: what becomes of each file, in the
// JSON and the table, through a test plug-in loaded by its real entry point.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <limits>

#include "MeterTestSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::meter::test {
namespace {

const std::string kPlugin = KALVO5_TEST_PLUGIN;

std::string ToneFile(const TempFolder& folder, const std::string& name, long frames = 22050) {
  const std::string path = folder.Path(name);
  WriteAudio(path, 2, 44100, frames,
             [](int, long n) { return 0.25 * std::sin(0.05 * static_cast<double>(n)); });
  return path;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Every file is in the JSON: one that cannot be read with its error, one
// without frames as "no audio" with its readings null; the plug-in is
// described even when no file could be read, and the table then prints
// nothing.
TEST(MeterLibrary, EveryFileIsReportedWithWhatBecameOfIt) {
  TempFolder folder;
  const std::string missing = folder.Path("missing.wav");
  const std::string empty = ToneFile(folder, "empty.wav", 0);
  const std::string tone = ToneFile(folder, "tone.wav");
  MeterRun run = RunMeter({"--plugin", kPlugin, "--json", "--details", "-t", "EBU", missing, empty, tone});
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(
      run.out.find("\"status\": \"unreadable\",\n      \"error\": \"audio file not found: " + missing + "\""),
      std::string::npos)
      << run.out;
  EXPECT_EQ(Count(run.out, "\"status\": \"no audio\""), 1u) << run.out;
  // The five output readings of the plug-in, not its every parameter.
  EXPECT_EQ(Count(run.out, "\"value\": null, \"reason\": \"no audio: the file holds no frames\""), 5u)
      << run.out;
  EXPECT_EQ(Count(run.out, "\"name\": \"Shape\""), 0u) << run.out;
  EXPECT_EQ(Count(run.out, "\"status\": \"ok\""), 1u) << run.out;

  run = RunMeter({"--plugin", kPlugin, "--json", missing});
  EXPECT_NE(run.out.find("\"name\": \"Test Meter\", \"vendor\": \"Kalvo5 Tests\""), std::string::npos)
      << run.out;
  run = RunMeter({"--plugin", kPlugin, missing});
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("audio file not found"), std::string::npos);
}

// A file the plug-in refuses once it is open (here its sample rate, below
// the 8 kHz the plug-in measures) keeps its name in every view.
TEST(MeterLibrary, AFileRefusedForItsSampleRateKeepsItsName) {
  TempFolder folder;
  const std::string slow = folder.Path("slow.wav");
  WriteAudio(slow, 2, 4000, 4000, [](int, long) { return 0.1; });
  const std::string tone = ToneFile(folder, "tone.wav");
  const std::string csv = folder.Path("summary.csv");
  MeterRun run = RunMeter({"--plugin", kPlugin, "--summary", "--summary-csv", csv, slow, tone});
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find(slow + ": sample rate 4000 Hz is not supported"), std::string::npos) << run.err;
  const std::vector<std::string> row = TableRow(run.out, slow);
  ASSERT_FALSE(row.empty()) << run.out;
  EXPECT_EQ(row.back(), "unreadable") << run.out;
  EXPECT_NE(Bytes(csv).find("\n" + slow + ",0.000000,unreadable"), std::string::npos) << Bytes(csv);

  run = RunMeter({"--plugin", kPlugin, "--json", "--summary", slow, tone});
  EXPECT_NE(run.out.find("\"source\": \"" + slow + "\",\n      \"status\": \"unreadable\""),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("{\"source\": \"" + slow + "\", \"status\": \"unreadable\""), std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("\"source\": \"\""), std::string::npos) << run.out;
}

TEST(MeterLibrary, TheClosingCountNamesDamagedFiles) {
  TempFolder folder;
  const std::string nan = folder.Path("nan.wav");
  WriteAudio(
      nan, 1, 44100, 4410,
      [](int, long n) { return n == 9 ? std::numeric_limits<double>::quiet_NaN() : 0.1; },
      SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  MeterRun run = RunMeter({"--plugin", kPlugin, "-t", "EBU", nan, ToneFile(folder, "tone.wav")});
  EXPECT_EQ(run.code, kExitDamaged);
  EXPECT_NE(run.out.find("2 files: 2 measured (1 damaged), 0 could not be read"), std::string::npos)
      << run.out;
  // An unreadable file ranks first in the exit status; the last line names
  // the damage too.
  run = RunMeter({"--plugin", kPlugin, "-t", "EBU", nan, folder.Path("missing.wav")});
  EXPECT_EQ(run.code, kExitInput);
  EXPECT_NE(run.err.find("1 of 2 files could not be read, 1 damaged"), std::string::npos) << run.err;
}

// The library view of the three types side by side has each type's columns.
TEST(MeterLibrary, EveryTypeMeasuredHasItsColumns) {
  TempFolder folder;
  const MeterRun run =
      RunMeter({"--plugin", kPlugin, "-t", "all", "--summary", ToneFile(folder, "tone.wav")});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  for (const char* heading : {"  RMS crest", "  EBU LRA", "  DIAL speech"})
    EXPECT_NE(run.out.find(heading), std::string::npos) << heading << run.out;
}

// Files measured at once share one bar that counts them.
TEST(MeterLibrary, ParallelFilesShowOneProgressBarForTheSet) {
  TempFolder folder;
  const std::string tone = ToneFile(folder, "tone.wav");
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  const MeterRun run = RunMeter({"--plugin", kPlugin, "--progress", "-j", "2", tone, tone, tone}, stream);
  EXPECT_EQ(run.code, kExitOk) << run.err;
  std::rewind(stream);
  std::string drawn(4096, '\0');
  drawn.resize(std::fread(drawn.data(), 1, drawn.size(), stream));
  std::fclose(stream);
  EXPECT_NE(drawn.find("\r3 files [##############################] 100%  3/3 files, 0:02 of audio"),
            std::string::npos)
      << drawn;
}

}  // namespace
}  // namespace kalvo5::meter::test
