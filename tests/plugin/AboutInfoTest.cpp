#include "plugin/AboutInfo.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace kalvo5 {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(AboutInfo, TextHasEveryLineInOrder) {
  AboutFacts facts;
  facts.hostName = "REAPER";
  facts.inputsConnected = 2;
  facts.outputsConnected = 2;
  facts.inputsSupported = 6;
  facts.outputsSupported = 6;
  facts.latencySamples = 0;
  facts.sampleRate = 44100.0;
  facts.blockSize = 512;
  const std::string text = BuildAboutText(facts);
  ASSERT_EQ(text.back(), '\n');
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "Manufacturer: Vantorel");
  EXPECT_EQ(lines[1], "Plugin name: Kalvo5");
  EXPECT_EQ(lines[2], "Version: 5.3.6");
  EXPECT_TRUE(std::regex_match(lines[3], std::regex("Build date: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}")))
      << lines[3];
  EXPECT_TRUE(std::regex_match(lines[4], std::regex("Build time: [0-2][0-9]:[0-5][0-9]:[0-5][0-9]")))
      << lines[4];
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "Format: VST2 x86-64 (INTEL, CAIRO, X11)");
  EXPECT_EQ(lines[7], "Host: REAPER");
  EXPECT_EQ(lines[8], "Channels: 2-2 (6-6)");
  EXPECT_EQ(lines[9], "Plugin delay: 0 smp (0.0 ms)");
  EXPECT_EQ(lines[10], "Sample Rate: 44100.00 Hz");
  EXPECT_EQ(lines[11], "Block Size: 512 smp");
  EXPECT_EQ(lines[12], "");
  EXPECT_EQ(lines[13], "Trademarks:");
  EXPECT_EQ(lines[14], "VST/VST3: Steinberg Media Technologies GmbH");
  EXPECT_EQ(lines[15], "AAX: Avid Technology Inc.");
  EXPECT_EQ(lines[16], "AU: Apple Inc.");
}

TEST(AboutInfo, DelayIsShownInMillisecondsOfTheCurrentRate) {
  AboutFacts facts;
  facts.latencySamples = 480;
  facts.sampleRate = 48000.0;
  EXPECT_NE(BuildAboutText(facts).find("Plugin delay: 480 smp (10.0 ms)\n"), std::string::npos);
  facts.latencySamples = 0;
  facts.hostName = nullptr;
  const std::string text = BuildAboutText(facts);
  EXPECT_NE(text.find("Plugin delay: 0 smp (0.0 ms)\n"), std::string::npos);
  EXPECT_NE(text.find("Host: Unknown\n"), std::string::npos);
}

}  // namespace
}  // namespace kalvo5
