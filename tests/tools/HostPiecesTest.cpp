// The meter command's pieces on their own: preset framing, command line,
// which automation counts, reading numbers from display texts.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "tools/DisplayNumber.h"
#include "tools/HostContext.h"
#include "tools/MeterOptions.h"
#include "tools/MeterReport.h"
#include "tools/ParameterSetter.h"
#include "tools/PresetChunk.h"
#include "tools/ProgressBar.h"

namespace kalvo5::meter {
namespace {

std::uint32_t IntAt(const std::vector<std::uint8_t>& chunk, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | chunk[at + static_cast<std::size_t>(i)];
  return v;
}

TEST(PresetChunk, FramesTheDocumentBehindTheChunkHeaderWithEvenSizes) {
  for (const char* text : {"<a/>", "<ab/>"}) {
    const std::string document(text);
    const auto chunk = FramePresetDocument(document);
    const std::uint8_t header[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    ASSERT_GE(chunk.size(), 40u + document.size());
    EXPECT_EQ(std::memcmp(chunk.data(), header, 8), 0);
    EXPECT_EQ(std::memcmp(chunk.data() + 8, "RIFF", 4), 0);
    EXPECT_EQ(IntAt(chunk, 16), 1u);
    EXPECT_EQ(std::memcmp(chunk.data() + 20, "VRCMVRCS", 8), 0);
    EXPECT_EQ(IntAt(chunk, 32), 1u);
    const auto length = static_cast<std::uint32_t>(document.size());
    EXPECT_EQ(IntAt(chunk, 36), length);
    EXPECT_EQ(std::string(chunk.begin() + 40, chunk.begin() + 40 + length), document);
    // Size B counts version, length and text; size A everything after its
    // own field, with a zero pad byte when size B is odd.
    const std::uint32_t sizeB = 8 + length, pad = sizeB % 2;
    EXPECT_EQ(IntAt(chunk, 28), sizeB);
    EXPECT_EQ(IntAt(chunk, 12), 24 + length + pad);
    EXPECT_EQ(chunk.size(), 16 + IntAt(chunk, 12));
    if (pad) {
      EXPECT_EQ(chunk.back(), 0);
    }
  }
}

TEST(MeterOptions, ParsesEveryOptionInBothSpellings) {
  const char* argv[] = {"kalvo5-meter", "-j", "--csv=-"};
  MeterOptions o;
  std::string error;
  // "--csv -" and "--json" cannot share standard output.
  EXPECT_FALSE(ParseMeterOptions(static_cast<int>(std::size(argv)), argv, o, error));
  EXPECT_NE(error.find("standard output"), std::string::npos);

  const char* ok[] = {"kalvo5-meter", "-p",    "x.so",         "--type=EBU", "-s", "RMS Window=300",
                      "--set",        "A=b=c", "--block-size", "4096",       "-j", "a.wav",
                      "--precision",  "32",    "--",           "--odd.wav"};
  MeterOptions p;
  ASSERT_TRUE(ParseMeterOptions(static_cast<int>(std::size(ok)), ok, p, error)) << error;
  EXPECT_EQ(p.pluginPath, "x.so");
  EXPECT_EQ(p.type, "EBU");
  ASSERT_EQ(p.settings.size(), 2u);
  EXPECT_EQ(p.settings[0], std::make_pair(std::string("RMS Window"), std::string("300")));
  EXPECT_EQ(p.settings[1], std::make_pair(std::string("A"), std::string("b=c")));
  EXPECT_EQ(p.blockSize, 4096);
  EXPECT_EQ(p.format, OutputFormat::kJson);
  EXPECT_EQ(p.precision, Precision::k32);
  EXPECT_EQ(p.files, (std::vector<std::string>{"a.wav", "--odd.wav"}));

  for (std::vector<const char*> bad : {std::vector<const char*>{"m", "-b", "12x"},
                                       {"m", "-b", "-5"},
                                       {"m", "--block-size"},
                                       {"m", "--precision", "16"},
                                       {"m", "--json=yes"},
                                       {"m", "--summary-csv", "-", "--csv", "-"},
                                       {"m", "--ceiling", "-1"},
                                       {"m", "--target", "loud"},
                                       {"m", "-t", "RMS", "--target", "-23"},
                                       {"m", "--set", "=3"},
                                       {"m", "-t", ""},
                                       {"m", "--plugin="},
                                       {"m", "-o", ""}}) {
    MeterOptions q;
    EXPECT_FALSE(ParseMeterOptions(static_cast<int>(bad.size()), bad.data(), q, error)) << bad.back();
  }
}

TEST(MeterOptions, TakesValuesAttachedToShortOptionsAndNamesTheJobsRange) {
  const char* attached[] = {"m", "-j1", "-tEBU", "-b256", "-sGain=3", "a.wav"};
  MeterOptions o;
  std::string error;
  ASSERT_TRUE(ParseMeterOptions(static_cast<int>(std::size(attached)), attached, o, error)) << error;
  EXPECT_EQ(o.jobs, 1);
  EXPECT_EQ(o.format, OutputFormat::kTable);
  EXPECT_EQ(o.type, "EBU");
  EXPECT_EQ(o.blockSize, 256);
  EXPECT_EQ(o.settings, (std::vector<std::pair<std::string, std::string>>{{"Gain", "3"}}));

  const char* many[] = {"m", "-j", "65536", "a.wav"};
  EXPECT_FALSE(ParseMeterOptions(static_cast<int>(std::size(many)), many, o, error));
  EXPECT_NE(error.find("from 1 to 1024, got 65536"), std::string::npos) << error;
}

TEST(HostContext, AutomationCountsOnlyFromInsideTheHostsCallsOnItsOwnThread) {
  HostContext host;
  host.Automation().Reset(8);
  vst2::AEffect effect{};
  effect.resvd1 = reinterpret_cast<vst2::VstIntPtr>(&host);
  auto automate = [&](int index, float value) {
    HostContext::Callback(&effect, vst2::audioMasterAutomate, index, 0, nullptr, value);
  };
  automate(1, 0.5f);  // between calls
  {
    const HostContext::CallScope call(host);
    automate(2, 0.25f);
    std::thread([&] { automate(3, 0.75f); }).join();  // a thread of the plug-in's own
    automate(8, 1.0f);                                // outside the list
  }
  EXPECT_EQ(host.Automation().WrittenIndices(), std::vector<int>{2});
  EXPECT_EQ(host.Automation().Latest(2), 0.25f);
  EXPECT_EQ(host.StrayAutomationWrites(), 2);
}

TEST(DisplayText, NumbersAreReadOnlyWhereTheTextIsOne) {
  double v = 0.0;
  EXPECT_TRUE(LeadingNumber(" -23.0 LUFS", v));
  EXPECT_EQ(v, -23.0);
  EXPECT_TRUE(LeadingNumber("600 ms", v));
  EXPECT_EQ(v, 600.0);
  for (const char* no : {"", "Off", "inf", "-inf", "nan", "LUFS -23", "---"})
    EXPECT_FALSE(LeadingNumber(no, v)) << no;

  EXPECT_TRUE(DisplayedNumber("  -1.5e-3 ", v));
  EXPECT_EQ(v, -1.5e-3);
  EXPECT_FALSE(DisplayedNumber("600 ms", v));
  EXPECT_FALSE(DisplayedNumber("4.1 ch", v));

  // A display shows a text in other letter case, or a number as it rounds it.
  EXPECT_TRUE(DisplayShows(" EBU ", "ebu"));
  EXPECT_TRUE(DisplayShows("-12.35", "-12.3456"));
  EXPECT_TRUE(DisplayShows("600", "600.4"));
  EXPECT_FALSE(DisplayShows("600", "600.6"));
  EXPECT_FALSE(DisplayShows("-12.35", "-12.3"));
  EXPECT_FALSE(DisplayShows("12.00", "40"));
  EXPECT_FALSE(DisplayShows("RMS", "EBU"));
}

}  // namespace
}  // namespace kalvo5::meter

namespace kalvo5::meter {
namespace {

TEST(ProgressBar, DrawsInPlaceOnlyWhenEnabledAndClearsItsLine) {
  for (const bool enabled : {false, true}) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    {
      ProgressBar bar(stream, enabled, "noise.wav");
      bar.Update(0.0);
      bar.Update(0.5);  // within 100 ms of the last drawing: skipped
      bar.Update(1.0);
    }
    std::rewind(stream);
    char text[512] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, stream);
    std::fclose(stream);
    const std::string drawn(text, n);
    if (!enabled) {
      EXPECT_TRUE(drawn.empty()) << drawn;
      continue;
    }
    EXPECT_NE(drawn.find("\rnoise.wav [..............................]   0%"), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("\rnoise.wav [##############################] 100%"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.find("50%"), std::string::npos) << drawn;
    EXPECT_EQ(drawn.back(), '\r');
  }
}

}  // namespace
}  // namespace kalvo5::meter
