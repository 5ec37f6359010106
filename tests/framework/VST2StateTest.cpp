#include <cstring>
#include <random>
#include <vector>

#include "VST2TestSupport.h"

using namespace vst2test;

namespace {

std::vector<std::uint8_t> GetChunk(const Instance& instance, bool bank) {
  void* data = nullptr;
  const auto size = instance.Dispatch(vst2::effGetChunk, bank ? 0 : 1, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  return {bytes, bytes + size};
}

vst2::VstIntPtr SetChunk(const Instance& instance, bool bank, std::vector<std::uint8_t> bytes) {
  return instance.Dispatch(vst2::effSetChunk, bank ? 0 : 1, static_cast<vst2::VstIntPtr>(bytes.size()),
                           bytes.data());
}

void SetValues(TestPlugin& plug, double gain, double mode, double count) {
  plug.GetParam(kGain)->SetValue(gain);
  plug.GetParam(kMode)->SetValue(mode);
  plug.GetParam(kCount)->SetValue(count);
}

}  // namespace

TEST_F(VST2Test, ProgramChunkIsTheHeaderAndTheState) {
  Instance instance(host);
  SetValues(instance.Plug(), -18.5, 2, 5);
  const auto chunk = GetChunk(instance, false);
  ASSERT_EQ(chunk.size(), 8u + 5 * 8);
  const std::uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(chunk.data(), header, 8), 0);
  double gain = 0;
  std::memcpy(&gain, chunk.data() + 8, 8);
  EXPECT_EQ(gain, -18.5);
  EXPECT_EQ(instance.Dispatch(vst2::effGetChunk, 1, 0, nullptr), 0);

  // Given to a new instance, it restores every parameter and the editor
  // hears of it; the current slot now holds it too.
  Instance other(host);
  TestPlugin& plug = other.Plug();
  ASSERT_EQ(SetChunk(other, false, chunk), 1);
  EXPECT_EQ(plug.GetParam(kGain)->GetValue(), -18.5);
  EXPECT_EQ(plug.GetParam(kMode)->GetValue(), 2.0);
  EXPECT_EQ(plug.GetParam(kCount)->GetValue(), 5.0);
  EXPECT_EQ(plug.statesRestored, 1);
  SetValues(plug, 0, 0, 1);
  other.Dispatch(vst2::effSetProgram, 0, 0);
  EXPECT_EQ(plug.GetParam(kGain)->GetValue(), -18.5);
}

TEST_F(VST2Test, BankChunkCarriesEverySlot) {
  Instance instance(host);
  char name[] = "Broadcast";
  SetValues(instance.Plug(), 6.0, 0, 3);
  instance.Dispatch(vst2::effSetProgramName, 0, 0, name);
  SetValues(instance.Plug(), 7.5, 1, 4);  // the bank stores the current state into the slot first
  const auto bank = GetChunk(instance, true);
  ASSERT_GE(bank.size(), 8u + 4 + 9 + 1 + 40);
  std::int32_t nameLength = 0;
  std::memcpy(&nameLength, bank.data() + 8, 4);
  EXPECT_EQ(nameLength, 9);
  EXPECT_EQ(std::string(bank.begin() + 12, bank.begin() + 21), "Broadcast");
  EXPECT_EQ(bank[21], 1);

  // The program chunk's data stays valid while the bank chunk is taken.
  void* programData = nullptr;
  const auto programSize = instance.Dispatch(vst2::effGetChunk, 1, 0, &programData);
  const std::vector<std::uint8_t> program(static_cast<std::uint8_t*>(programData),
                                          static_cast<std::uint8_t*>(programData) + programSize);
  GetChunk(instance, true);
  EXPECT_EQ(std::memcmp(programData, program.data(), program.size()), 0);

  Instance other(host);
  ASSERT_EQ(SetChunk(other, true, bank), 1);
  EXPECT_EQ(other.Text(vst2::effGetProgramName), "Broadcast");
  EXPECT_EQ(other.Plug().GetParam(kGain)->GetValue(), 7.5);
  EXPECT_EQ(other.Plug().GetParam(kCount)->GetValue(), 4.0);
  EXPECT_GE(other.Plug().statesRestored, 1);
}

TEST_F(VST2Test, BankChunkWithoutHeaderIsOneProgramStoredInTheCurrentSlot) {
  Instance source(host);
  SetValues(source.Plug(), -3.0, 2, 7);
  auto chunk = GetChunk(source, false);
  chunk.erase(chunk.begin(), chunk.begin() + 8);

  Instance instance(host);
  ASSERT_EQ(SetChunk(instance, true, chunk), 1);
  EXPECT_EQ(instance.Plug().GetParam(kGain)->GetValue(), -3.0);
  SetValues(instance.Plug(), 0, 0, 1);
  instance.Dispatch(vst2::effSetProgram, 0, 0);
  EXPECT_EQ(instance.Plug().GetParam(kCount)->GetValue(), 7.0);

  // An older bank version is read the same way.
  chunk.insert(chunk.begin(), {0x74, 0x66, 0x66, 0x70, 0xFF, 0xFF, 0x00, 0x00});
  SetValues(instance.Plug(), 0, 0, 1);
  ASSERT_EQ(SetChunk(instance, true, chunk), 1);
  EXPECT_EQ(instance.Plug().GetParam(kCount)->GetValue(), 7.0);
}

TEST_F(VST2Test, UnreadableChunksAnswerZeroWithoutRestoring) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  // The state runs short after the first parameter: what was read stays.
  std::vector<std::uint8_t> shortState = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const double gain = 9.5;
  shortState.resize(8 + 8 + 3);
  std::memcpy(shortState.data() + 8, &gain, 8);
  EXPECT_EQ(SetChunk(instance, false, shortState), 0);
  EXPECT_EQ(plug.GetParam(kGain)->GetValue(), 9.5);
  EXPECT_EQ(plug.statesRestored, 0);

  // A header cut short changes nothing at all.
  SetValues(plug, 1.0, 1, 2);
  EXPECT_EQ(SetChunk(instance, false, {0x74, 0x66, 0x66, 0x70, 0x00, 0x00}), 0);
  EXPECT_EQ(SetChunk(instance, true, {0x74, 0x66, 0x66, 0x70}), 0);
  EXPECT_EQ(plug.GetParam(kGain)->GetValue(), 1.0);
  EXPECT_EQ(instance.Dispatch(vst2::effSetChunk, 1, 16, nullptr), 0);
  std::uint8_t byte = 0;
  EXPECT_EQ(instance.Dispatch(vst2::effSetChunk, 1, 0, &byte), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effSetChunk, 1, -8, &byte), 0);
  // A chunk larger than any state is refused before it is copied or read.
  std::vector<std::uint8_t> huge = GetChunk(instance, false);
  huge.resize(static_cast<std::size_t>(iplug::kMaxStateChunkBytes) + 1);
  EXPECT_EQ(SetChunk(instance, false, huge), 0);
  EXPECT_EQ(plug.statesRestored, 0);
}

TEST_F(VST2Test, RandomChunksNeverReadOutOfBounds) {
  Instance instance(host);
  std::mt19937 random(20240607);
  const auto valid = GetChunk(instance, true);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> bytes;
    if (round % 3 == 0) {
      // A real bank with some bytes changed and cut at a random place.
      bytes = valid;
      for (int k = 0; k < 4; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
      bytes.resize(random() % (bytes.size() + 1));
    } else {
      bytes.resize(random() % 96);
      for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
      if (round % 2 == 0 && bytes.size() >= 8) {
        const std::uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
        std::memcpy(bytes.data(), header, 8);
      }
    }
    if (bytes.empty()) continue;
    SetChunk(instance, round % 4 != 1, bytes);
  }
  // Still a working instance.
  EXPECT_EQ(SetChunk(instance, true, valid), 1);
  EXPECT_GT(GetChunk(instance, false).size(), 8u);
}
