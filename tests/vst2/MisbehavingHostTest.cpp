// Hosts that do what they should not: the plug-in must neither crash nor
// leak nor let one instance disturb another.
#include <cmath>
#include <limits>
#include <random>

#include "Kalvo5Module.h"
#include "plugin/ReadingTable.h"

namespace kalvo5::vst2test {
namespace {

// The measured stereo pair passes through unchanged (no pre-gain is set);
// the other outputs keep what the host put into them.
void ExpectPassThrough(const Kalvo5Instance& plug, int frames, int blockSize) {
  constexpr double kMarker = 0.125;
  const auto input = Noise(6, frames, 0.5, 77);
  std::vector<std::vector<double>> out(6, std::vector<double>(static_cast<std::size_t>(frames), kMarker));
  std::vector<double*> inPtrs, outPtrs;
  for (int start = 0; start < frames; start += blockSize) {
    inPtrs.clear();
    outPtrs.clear();
    for (int c = 0; c < 6; ++c) {
      inPtrs.push_back(const_cast<double*>(input[c].data()) + start);
      outPtrs.push_back(out[c].data() + start);
    }
    plug.effect->processDoubleReplacing(plug.effect, inPtrs.data(), outPtrs.data(),
                                        std::min(blockSize, frames - start));
  }
  for (int c = 0; c < 2; ++c) ASSERT_EQ(out[c], input[c]) << "channel " << c;
  for (int c = 2; c < 6; ++c)
    ASSERT_EQ(out[c], std::vector<double>(out[c].size(), kMarker)) << "channel " << c;
}

TEST(MisbehavingHost, ProcessBeforeOpenOrResume) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  ExpectPassThrough(plug, 3000, 512);
  plug.Dispatch(vst2::effOpen);
  ExpectPassThrough(plug, 3000, 256);
  plug.Dispatch(vst2::effMainsChanged, 0, 1);
  ExpectPassThrough(plug, 3000, 1000);
}

TEST(MisbehavingHost, BlocksLargerThanAnnounced) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  plug.Start(48000.0f, 64);
  ExpectPassThrough(plug, 8192, 4096);
  ExpectPassThrough(plug, 150000, 150000);  // more than any buffer: run in slices
  plug.Process(ToFloat(Noise(2, 20000, 0.3, 5)), 20000);
}

TEST(MisbehavingHost, SampleRateChangesBetweenBlocks) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  plug.Start(44100.0f, 512);
  plug.SetText(kType, "DIAL");
  const float rates[] = {96000.0f,  8000.0f,   0.0f,
                         192000.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                         1.0f,      384000.0f, std::numeric_limits<float>::infinity(),
                         22050.0f};
  for (int round = 0; round < 3; ++round) {
    for (float rate : rates) {
      plug.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, rate);
      ExpectPassThrough(plug, 700, 512);
      plug.SetText(kType, round == 1 ? "RMS" : round == 2 ? "EBU" : "DIAL");
    }
  }
}

TEST(MisbehavingHost, NullPointersAndInvalidIndicesOnEveryOpcode) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  plug.Start(48000.0f, 512);
  const vst2::VstInt32 indices[] = {-1,
                                    57,
                                    58,
                                    69,
                                    1 << 20,
                                    std::numeric_limits<vst2::VstInt32>::max(),
                                    std::numeric_limits<vst2::VstInt32>::min()};
  const vst2::VstIntPtr values[] = {0, -1, 57, std::numeric_limits<vst2::VstIntPtr>::max(),
                                    std::numeric_limits<vst2::VstIntPtr>::min()};
  for (vst2::VstInt32 opcode = 0; opcode < 128; ++opcode) {
    if (opcode == vst2::effClose) continue;
    // Two opcodes take a pointer in value: only null there.
    const bool pointerValue =
        opcode == vst2::effSetSpeakerArrangement || opcode == vst2::effGetSpeakerArrangement;
    for (vst2::VstInt32 index : indices) {
      for (vst2::VstIntPtr value : values) {
        if (pointerValue && value != 0) continue;
        plug.Dispatch(opcode, index, value, nullptr, 0.0f);
        plug.Dispatch(opcode, index, value, nullptr, std::numeric_limits<float>::quiet_NaN());
      }
    }
    plug.Dispatch(opcode, 0, 0, nullptr, -1.0f);
  }
  for (vst2::VstInt32 index : indices) {
    plug.Set(index, 0.5f);
    EXPECT_EQ(plug.Get(index), 0.0f);
  }
  for (int i = 0; i < kNumParams; ++i) {
    plug.Set(i, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(std::isnan(plug.Get(i))) << i;
  }
  // Still measuring and passing audio through.
  plug.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  plug.Dispatch(vst2::effSetBlockSize, 0, 512);
  plug.SetText(kRMSGain, "0");
  plug.SetText(kEBUGain, "0");
  plug.SetText(kDIALGain, "0");
  ExpectPassThrough(plug, 2048, 512);
}

TEST(MisbehavingHost, RandomBankAndProgramChunks) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  plug.Start(48000.0f, 512);
  const std::vector<std::uint8_t> valid = plug.Chunk(true);
  std::mt19937 random(4711);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::uint8_t> bytes;
    if (round % 2 == 0) {
      bytes = valid;
      for (int k = 0; k < 3; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
      bytes.resize(1 + random() % bytes.size());
    } else {
      bytes.resize(1 + random() % 300);
      for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
      if (round % 4 == 1 && bytes.size() >= 8) std::memcpy(bytes.data(), valid.data(), 8);
    }
    plug.Restore(round % 3 != 0, bytes);
  }
  ASSERT_EQ(plug.Restore(true, valid), 1);
  plug.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  ExpectPassThrough(plug, 1024, 512);
}

TEST(MisbehavingHost, ManyOpenCloseCycles) {
  RecordingHost host;
  const auto block = ToFloat(Noise(2, 256, 0.2, 3));
  // Each instance maps all its memory at creation: a few hundred cycles suffice.
  for (int cycle = 0; cycle < 300; ++cycle) {
    Kalvo5Instance plug(host, cycle % 2 == 0 ? LoadKalvo5().pluginMain : LoadKalvo5().main);
    ASSERT_NE(plug.effect, nullptr);
    plug.Start(48000.0f, 512);
    plug.Process(block, 256);
    plug.Dispatch(vst2::effMainsChanged, 0, 0);
  }
}

TEST(MisbehavingHost, TwoInstancesAtDifferentRatesDoNotTalkToEachOther) {
  // Two instances processed block by block in turn, each at its own rate
  // and on its own signal, read the same as each one alone.
  const auto loud = Noise(2, 44100 * 4, 0.5, 11);
  const auto quiet = Noise(2, 96000 * 4, 0.05, 12);
  auto setUp = [](const Kalvo5Instance& plug, float rate) {
    plug.Start(rate, 512);
    plug.SetText(kType, "EBU");
    plug.SetText(kWriteAutomationData, "On");
  };
  RecordingHost hostA, hostB, hostSolo;
  for (RecordingHost* host : {&hostA, &hostB, &hostSolo}) host->timeInfo.flags = vst2::kVstTransportPlaying;
  Kalvo5Instance a(hostA), b(hostB);
  setUp(a, 44100.0f);
  setUp(b, 96000.0f);
  for (int block = 0; block * 441 < 44100 * 4; ++block) {
    std::vector<std::vector<double>> partA(2), partB(2);
    for (int c = 0; c < 2; ++c) {
      partA[c].assign(loud[c].begin() + block * 441, loud[c].begin() + (block + 1) * 441);
      partB[c].assign(quiet[c].begin() + block * 960, quiet[c].begin() + (block + 1) * 960);
    }
    a.Process(partA, 441);
    b.Process(partB, 960);
  }
  const auto readingsA = a.FinalOutputs(kOutEBUIL, kOutEBULRA);
  const auto readingsB = b.FinalOutputs(kOutEBUIL, kOutEBULRA);

  for (const bool first : {true, false}) {
    Kalvo5Instance solo(hostSolo);
    setUp(solo, first ? 44100.0f : 96000.0f);
    solo.Process(first ? loud : quiet, 512);
    const auto alone = solo.FinalOutputs(kOutEBUIL, kOutEBULRA);
    const auto& together = first ? readingsA : readingsB;
    for (std::size_t i = 0; i < alone.size(); ++i)
      EXPECT_EQ(together[i], alone[i]) << (first ? "A " : "B ") << i;
  }
  EXPECT_NE(readingsA[0], readingsB[0]);
}

}  // namespace
}  // namespace kalvo5::vst2test
