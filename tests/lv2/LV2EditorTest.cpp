// The LV2 editor runs apart from the processor, on what the host carries
// between them: for the same audio it draws exactly what the VST 2 editor
// draws inside its own instance.
#include <gtest/gtest.h>

#include <lv2/atom/util.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "LilvHost.h"
#include "module/Kalvo5VST2.h"
#include "module/lv2/Kalvo5LV2.h"
#include "plugin/Kalvo5TestSupport.h"
#include "tools/MeterTestSupport.h"

namespace kalvo5::lv2test {
namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 300;  // 3.2 s at 48 kHz

float Sample(int channel, int frame) {
  return static_cast<float>(0.1 * std::sin(2.0 * M_PI * 440.0 * (channel + 1) * frame / 48000.0) *
                            (frame > 48000 ? 2.0 : 1.0));
}

// What the editor writes to the host.
struct Writes {
  int count = 0;
  static void Write(void* self, std::uint32_t, std::uint32_t, std::uint32_t, const void*) {
    ++static_cast<Writes*>(self)->count;
  }
};

TEST(LV2Editor, DrawsForTheSameAudioWhatTheVST2EditorDrawsInsideItsInstance) {
  test::UseTestDataHome();
  iplug::MainThreadScope scope;
  UridMap urids;
  LV2_Feature map{LV2_URID__map, urids.Feature()};
  const LV2_Feature* features[] = {&map, nullptr};
  std::vector<float> left(kBlock), right(kBlock), outLeft(kBlock), outRight(kBlock);
  const auto fill = [&](int block) {
    for (int i = 0; i < kBlock; ++i) {
      left[static_cast<std::size_t>(i)] = Sample(0, block * kBlock + i);
      right[static_cast<std::size_t>(i)] = Sample(1, block * kBlock + i);
    }
  };

  // The processor, EBU, with its messages collected: the last snapshot.
  // (Instances are too large for the stack.)
  auto owned = std::make_unique<Kalvo5LV2>(iplug::LV2InstanceInfo{2, 48000.0, features});
  Kalvo5LV2& processor = *owned;
  processor.CompleteConstruction();
  const iplug::LV2PortLayout& ports = processor.Ports();
  float type = kTypeEBU;
  std::vector<std::uint64_t> notify(2048);
  processor.ConnectPort(ports.AudioIn(0), left.data());
  processor.ConnectPort(ports.AudioIn(1), right.data());
  processor.ConnectPort(ports.AudioOut(0), outLeft.data());
  processor.ConnectPort(ports.AudioOut(1), outRight.data());
  processor.ConnectPort(ports.Param(kType), &type);
  processor.ConnectPort(ports.MessagesOut(), notify.data());
  processor.Activate();
  std::vector<std::uint8_t> snapshot;
  for (int block = 0; block < kBlocks; ++block) {
    fill(block);
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(notify.data());
    sequence->atom = {static_cast<std::uint32_t>(notify.size() * 8 - sizeof(LV2_Atom)),
                      urids.Map(LV2_ATOM__Chunk)};
    processor.Run(kBlock);
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
      if (event->body.type != urids.Map(iplug::kLV2SnapshotURI)) continue;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(&event->body);
      snapshot.assign(bytes, bytes + sizeof(LV2_Atom) + event->body.size);
    }
  }
  ASSERT_FALSE(snapshot.empty());

  // The editor's own copy learns the type from its port and the readings
  // from the snapshot.
  Writes writes;
  auto ownedEditor =
      std::make_unique<Kalvo5LV2Editor>(iplug::LV2UIInfo{2, &Writes::Write, &writes, features});
  Kalvo5LV2Editor& editor = *ownedEditor;
  editor.PortEvent(ports.Param(kType), sizeof(float), 0, &type);
  const std::string empty = test::TestDataHome() + "/lv2-empty.png";
  ASSERT_TRUE(editor.WriteEditorSnapshot(empty, 1.0));
  editor.PortEvent(ports.MessagesOut(), static_cast<std::uint32_t>(snapshot.size()),
                   urids.Map(LV2_ATOM__eventTransfer), snapshot.data());
  const std::string lv2 = test::TestDataHome() + "/lv2-editor.png";
  ASSERT_TRUE(editor.WriteEditorSnapshot(lv2, 1.0));
  EXPECT_EQ(writes.count, 0);  // nothing the editor did changed a setting

  // The VST 2 build, the same audio in the same blocks.
  auto ownedVST2 = std::make_unique<Kalvo5VST2<Kalvo5WithEditor>>();
  Kalvo5VST2<Kalvo5WithEditor>& vst2 = *ownedVST2;
  vst2::AEffect& effect = vst2.GetEffect();
  const auto dispatch = [&](vst2::VstInt32 opcode, vst2::VstIntPtr value, float opt) {
    iplug::IPlugVST2::VSTDispatcher(&effect, opcode, 0, value, nullptr, opt);
  };
  dispatch(vst2::effSetSampleRate, 0, 48000.0f);
  dispatch(vst2::effSetBlockSize, kBlock, 0.0f);
  iplug::IPlugVST2::VSTSetParameter(&effect, kType,
                                    static_cast<float>(vst2.GetParam(kType)->NormalizedFromValue(kTypeEBU)));
  dispatch(vst2::effMainsChanged, 1, 0.0f);
  float* in[] = {left.data(), right.data()};
  float* out[] = {outLeft.data(), outRight.data()};
  for (int block = 0; block < kBlocks; ++block) {
    fill(block);
    iplug::IPlugVST2::VSTProcessReplacing(&effect, in, out, kBlock);
  }
  const std::string vst2Picture = test::TestDataHome() + "/vst2-editor.png";
  ASSERT_TRUE(vst2.WriteEditorSnapshot(vst2Picture, 1.0));

  EXPECT_EQ(meter::test::Bytes(lv2), meter::test::Bytes(vst2Picture));
  EXPECT_NE(meter::test::Bytes(lv2), meter::test::Bytes(empty));
}

}  // namespace
}  // namespace kalvo5::lv2test
