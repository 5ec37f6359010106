// The meter command's pieces on their own: preset framing, command line,
// automation batches, reading numbers from display texts.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "tools/AutomationRecorder.h"
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
                                       {"m", "-o", "x.wav", "a.wav", "b.wav"},
                                       {"m", "--set", "=3"}}) {
    MeterOptions q;
    EXPECT_FALSE(ParseMeterOptions(static_cast<int>(bad.size()), bad.data(), q, error)) << bad.back();
  }
}

TEST(AutomationRecorder, ABatchEndsWhenItsParametersHaveAllComeAgainOrTheWriterGoesQuiet) {
  using namespace std::chrono_literals;
  AutomationRecorder recorder(8);
  EXPECT_FALSE(recorder.WaitForBatch(0, 5ms));

  // The first batch can only end by going quiet.
  std::thread writer([&] {
    for (int i = 2; i < 5; ++i) recorder.Record(i, 0.1f * static_cast<float>(i), false);
  });
  ASSERT_TRUE(recorder.WaitForBatch(0, 1s, 20ms));
  writer.join();
  EXPECT_EQ(recorder.WriteCount(), 3u);
  EXPECT_EQ(recorder.WrittenIndices(), (std::vector<int>{2, 3, 4}));

  // The next ends as soon as parameters 2 ... 4 have all been written again,
  // long before the quiet time.
  const auto start = AutomationRecorder::Clock::now();
  std::thread again([&] {
    for (int i = 2; i < 5; ++i) recorder.Record(i, 0.5f, true);
  });
  ASSERT_TRUE(recorder.WaitForBatch(3, 1s, 10s));
  again.join();
  EXPECT_LT(AutomationRecorder::Clock::now() - start, 5s);
  EXPECT_EQ(recorder.Latest(3), 0.5f);
  EXPECT_FALSE(recorder.WritesOnlyWhileProcessing());  // the first batch came from elsewhere

  recorder.Record(8, 1.0f, true);  // outside the list: ignored
  recorder.Record(-1, 1.0f, true);
  EXPECT_EQ(recorder.WriteCount(), 6u);
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
