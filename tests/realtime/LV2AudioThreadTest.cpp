// The LV2 module on a host's audio thread: every run, with its ports moving,
// messages from the editor arriving and snapshots and readings going out,
// allocates, frees and locks nothing.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "AudioThreadCounters.h"
#include "framework/iplug/LV2Messages.h"
#include "framework/iplug/LV2Ports.h"
#include "plugin/ReadingTable.h"
#include "support/ScratchFolder.h"

namespace kalvo5::realtime_test {
namespace {

constexpr std::uint32_t kBlock = 512;

// Map URIs before the counting starts: the map allocates.
struct Urids {
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri) {
    auto& map = static_cast<Urids*>(handle)->map;
    return map.emplace(uri, static_cast<LV2_URID>(map.size() + 1)).first->second;
  }
  std::map<std::string, LV2_URID> map;
  LV2_URID_Map feature{this, &Map};
};

TEST(LV2AudioThread, RunsNeverAllocateFreeOrLockWhilePortsAndMessagesChangeTheMeasurement) {
  setenv("XDG_DATA_HOME", testsupport::ProgramScratchFolder("kalvo5-realtime-lv2").c_str(), 1);
  void* module = dlopen(KALVO5_LV2_MODULE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << dlerror();
  using DescriptorFunction = const LV2_Descriptor* (*)(std::uint32_t);
  const auto descriptorOf = reinterpret_cast<DescriptorFunction>(dlsym(module, "lv2_descriptor"));
  ASSERT_NE(descriptorOf, nullptr);
  const LV2_Descriptor* stereo = descriptorOf(1);
  ASSERT_NE(stereo, nullptr);

  Urids urids;
  const LV2_Feature map{LV2_URID__map, &urids.feature};
  const LV2_Feature* features[] = {&map, nullptr};
  LV2_Handle plug = stereo->instantiate(stereo, 48000.0, "", features);
  ASSERT_NE(plug, nullptr);

  const iplug::LV2PortLayout ports(2, kNumParams);
  std::vector<float> audio[4];
  for (int c = 0; c < 4; ++c) audio[c].assign(kBlock, 0.0f);
  std::vector<float> controls(kNumParams, 0.0f);
  std::vector<std::uint64_t> in(1024), out(2048);
  float latency = -1.0f;
  for (int c = 0; c < 2; ++c) {
    stereo->connect_port(plug, ports.AudioIn(c), audio[c].data());
    stereo->connect_port(plug, ports.AudioOut(c), audio[2 + c].data());
  }
  for (int i = 0; i < kNumParams; ++i)
    stereo->connect_port(plug, ports.Param(i), &controls[static_cast<std::size_t>(i)]);
  controls[kEBURefLevel] = -23.0f;
  stereo->connect_port(plug, ports.MessagesIn(), in.data());
  stereo->connect_port(plug, ports.MessagesOut(), out.data());
  stereo->connect_port(plug, ports.Latency(), &latency);
  stereo->activate(plug);

  const LV2_URID sequence = Urids::Map(&urids, LV2_ATOM__Sequence);
  const LV2_URID chunk = Urids::Map(&urids, LV2_ATOM__Chunk);
  const LV2_URID param = Urids::Map(&urids, iplug::kLV2ParamURI);
  const LV2_URID resend = Urids::Map(&urids, iplug::kLV2ResendURI);
  LV2_Atom_Forge forge;
  lv2_atom_forge_init(&forge, &urids.feature);

  realtime::TakeCounts();
  realtime::CountOnThisThread(true);
  for (std::uint32_t block = 0; block < 400; ++block) {
    for (std::uint32_t n = 0; n < kBlock; ++n)
      audio[0][n] = audio[1][n] = static_cast<float>(0.1 * std::sin(0.13 * (block * kBlock + n)));
    // Every 50 blocks the type moves by port, and the editor sends a
    // dialogue window and asks for every value.
    if (block % 50 == 10) controls[kType] = static_cast<float>((block / 50) % 3);
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<std::uint8_t*>(in.data()), in.size() * 8);
    LV2_Atom_Forge_Frame frame;
    lv2_atom_forge_sequence_head(&forge, &frame, 0);
    if (block % 50 == 20) {
      iplug::LV2ParamBody body;
      body.index = kDIALWindow;
      body.value = 3000.0 + block;
      lv2_atom_forge_frame_time(&forge, 0);
      lv2_atom_forge_atom(&forge, sizeof(body), param);
      lv2_atom_forge_write(&forge, &body, sizeof(body));
      lv2_atom_forge_frame_time(&forge, 0);
      lv2_atom_forge_atom(&forge, 0, resend);
    }
    lv2_atom_forge_pop(&forge, &frame);
    auto* notify = reinterpret_cast<LV2_Atom_Sequence*>(out.data());
    notify->atom = {static_cast<std::uint32_t>(out.size() * 8 - sizeof(LV2_Atom)), chunk};
    stereo->run(plug, kBlock);
    EXPECT_EQ(notify->atom.type, sequence);
  }
  realtime::CountOnThisThread(false);
  const realtime::Counts counts = realtime::TakeCounts();
  EXPECT_EQ(counts.allocations, 0);
  EXPECT_EQ(counts.frees, 0);
  EXPECT_EQ(counts.locks, 0);
  EXPECT_EQ(latency, 0.0f);
  EXPECT_LT(controls[kOutRMSIL], -10.0f);  // the readings reach their ports
  EXPECT_GT(controls[kOutRMSIL], -40.0f);

  stereo->deactivate(plug);
  stereo->cleanup(plug);
}

}  // namespace
}  // namespace kalvo5::realtime_test
