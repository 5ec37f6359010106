#include "plugin/AboutInfo.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "version/Version.h"

namespace kalvo5 {
namespace {

// True when text matches pattern, where '9' stands for any digit, 'A' for
// any upper-case and 'a' for any lower-case letter, and every other
// character for itself.
bool MatchesShape(const std::string& text, const std::string& pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool ok = pattern[i] == '9'   ? std::isdigit(c) != 0
                    : pattern[i] == 'A' ? std::isupper(c) != 0
                    : pattern[i] == 'a' ? std::islower(c) != 0
                                        : text[i] == pattern[i];
    if (!ok) return false;
  }
  return true;
}

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
  EXPECT_EQ(lines[2], std::string("Version: ") + kVersionText);
  // "Mmm dd yyyy" with a one-digit day padded by a blank, and hh:mm:ss.
  const bool padded = lines[3].size() > 16 && lines[3][16] == ' ';
  EXPECT_TRUE(MatchesShape(lines[3], padded ? "Build date: Aaa  9 9999" : "Build date: Aaa 99 9999"))
      << lines[3];
  EXPECT_TRUE(MatchesShape(lines[4], "Build time: 99:99:99")) << lines[4];
  EXPECT_EQ(lines[5], "");
  const std::string architecture = sizeof(void*) == 4 ? "x86-32" : "x86-64";
#ifdef _WIN32
  EXPECT_EQ(lines[6], "Format: VST2 " + architecture + " (INTEL, CAIRO, WIN32)");
#else
  EXPECT_EQ(lines[6], "Format: VST2 " + architecture + " (INTEL, CAIRO, X11)");
#endif
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
