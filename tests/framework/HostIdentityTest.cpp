#include "framework/iplug/HostIdentity.h"

#include <gtest/gtest.h>

#include <string>

using iplug::HostDisplayName;
using iplug::IdentifyHost;

TEST(HostIdentity, KeysMatchAnywhereInAnyCaseAndTheFirstKeyWins) {
  const std::pair<const char*, int> cases[] = {
      {"REAPER", 1},
      {"Reaper", 1},
      {"Cockos reaper 7.1", 1},
      {"Ableton Live 11", 9},
      {"Steinberg VST Live 2", 58},
      {"WaveLab Elements 11", 32},
      {"WaveLab Pro 11", 31},
      {"Element", 52},
      {"kv_elementfx", 52},
      {"Bitwig Studio with Reason inside", 34},
      {"Ardour", 28},
      {"iZotope RX 10", 42},
      {"", 0},
      {"Some Host Nobody Knows", 0},
  };
  for (const auto& [product, id] : cases) EXPECT_EQ(IdentifyHost(product), id) << product;
}

TEST(HostIdentity, DisplayNamesCoverTheIdRange) {
  EXPECT_STREQ(HostDisplayName(0), "Unknown");
  EXPECT_STREQ(HostDisplayName(-1), "Unknown");
  EXPECT_STREQ(HostDisplayName(68), "Unknown");
  EXPECT_STREQ(HostDisplayName(66), "UAD Luna Win");
  EXPECT_STREQ(HostDisplayName(1), "Reaper");
  EXPECT_STREQ(HostDisplayName(24), "Standalone");
  EXPECT_STREQ(HostDisplayName(44), "Blue Cat's VST Host");
  EXPECT_STREQ(HostDisplayName(67), "DDMF MetaPlugin");
}

TEST(HostIdentity, EveryKeyedHostIsFoundByItsOwnKey) {
  // A key table out of order would let an earlier key capture a later host.
  const std::pair<const char*, int> keyed[] = {{"protools", 2},    {"samplitude", 8}, {"garageband", 22},
                                               {"presonus", 26},   {"waveform", 38},  {"sadie", 46},
                                               {"metaplugin", 67}, {"www", 35},       {"standalone", 24}};
  for (const auto& [key, id] : keyed) EXPECT_EQ(IdentifyHost(std::string("x ") + key + " 1.0"), id) << key;
}
