// Kalvo5.so measured by the meter command on compressed files damaged in
// transfer: the readings cover what decodes, and the damage is reported.
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <numbers>

#include "Kalvo5Module.h"
#include "tools/MeterCommand.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::vst2test {
namespace {

using meter::test::Bytes;
using meter::test::JsonDisplays;
using meter::test::MeterRun;
using meter::test::RunMeter;
using meter::test::TempFolder;
using meter::test::WriteAudio;

// An Opus file cut at 60 % is measured as far as it decodes, and called
// damaged with where its stream ends; the whole file is sound.
TEST(MeterDamage, AnOggFileCutShortIsMeasuredAndReportedDamaged) {
  TempFolder folder;
  const std::string whole = folder.Path("tone.opus");
  const double amplitude = std::pow(10.0, -20.0 / 20.0);
  WriteAudio(
      whole, 2, 48000, 10 * 48000,
      [&](int, long n) {
        return amplitude * std::sin(2.0 * std::numbers::pi * 997.0 * static_cast<double>(n) / 48000);
      },
      SF_FORMAT_OGG | SF_FORMAT_OPUS);
  MeterRun run = RunMeter({"--plugin", Kalvo5Path(), "--json", "-t", "EBU", whole});
  EXPECT_EQ(run.code, meter::kExitOk) << run.err;
  EXPECT_NE(run.out.find("\"status\": \"ok\""), std::string::npos) << run.out;

  const std::string cut = folder.Path("cut.opus");
  const std::string bytes = Bytes(whole);
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 6 / 10);
  run = RunMeter({"--plugin", Kalvo5Path(), "--json", "-t", "EBU", cut});
  EXPECT_EQ(run.code, meter::kExitDamaged) << run.err;
  EXPECT_NE(run.out.find("\"status\": \"damaged\""), std::string::npos) << run.out;
  // The last whole page ends where the decoding ends.
  const std::size_t seconds = run.out.find("\"seconds\": ");
  ASSERT_NE(seconds, std::string::npos) << run.out;
  const std::string decoded = run.out.substr(seconds + 11, 5);
  EXPECT_NE(run.out.find("the Ogg stream ends without its last page (cut short?) after " + decoded + " s"),
            std::string::npos)
      << run.out;
  // Both channels at -20 dBFS peak read -20 LUFS.
  EXPECT_NEAR(std::stod(JsonDisplays(run.out, "values").at("OUT:EBU IL")), -20.0, 0.2);
}

}  // namespace
}  // namespace kalvo5::vst2test
