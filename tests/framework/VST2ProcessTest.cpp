#include <cmath>
#include <vector>

#include "VST2TestSupport.h"

using namespace vst2test;

namespace {

// Host buffers for one block: `channels` inputs holding a ramp per channel,
// as many outputs filled with a marker.
template <typename Sample>
struct Buffers {
  Buffers(int channels, int frames, Sample marker = Sample(0.5)) {
    for (int c = 0; c < channels; ++c) {
      in.emplace_back(static_cast<std::size_t>(frames));
      out.emplace_back(static_cast<std::size_t>(frames), marker);
      for (int n = 0; n < frames; ++n)
        in.back()[static_cast<std::size_t>(n)] = Sample(0.001) * Sample((n % 977) - 400 + c);
    }
    for (auto& b : in) inPtrs.push_back(b.data());
    for (auto& b : out) outPtrs.push_back(b.data());
  }
  std::vector<std::vector<Sample>> in, out;
  std::vector<Sample*> inPtrs, outPtrs;
};

}  // namespace

TEST_F(VST2Test, ThirtyTwoAndSixtyFourBitPathsGiveTheSameResult) {
  Instance instance(host);
  vst2::AEffect* e = instance.effect;
  e->setParameter(e, kGain, 0.55f);  // +6 dB
  const double gain = std::pow(10.0, instance.Plug().GetParam(kGain)->GetValue() / 20.0);
  Buffers<float> single(6, 300);
  Buffers<double> dbl(6, 300);
  for (int c = 0; c < 6; ++c)
    for (int n = 0; n < 300; ++n) dbl.in[c][n] = single.in[c][n];
  e->processReplacing(e, single.inPtrs.data(), single.outPtrs.data(), 300);
  e->processDoubleReplacing(e, dbl.inPtrs.data(), dbl.outPtrs.data(), 300);
  for (int c = 0; c < 6; ++c) {
    for (int n = 0; n < 300; ++n) {
      ASSERT_EQ(single.out[c][n], static_cast<float>(dbl.out[c][n]));
      ASSERT_EQ(dbl.out[c][n], static_cast<double>(single.in[c][n]) * gain);
    }
  }
  // The accumulating form adds to what the host's buffers hold.
  Buffers<float> adding(6, 300, 0.25f);
  e->process(e, adding.inPtrs.data(), adding.outPtrs.data(), 300);
  EXPECT_EQ(adding.out[3][100], 0.25f + single.out[3][100]);
}

// A block longer than announced neither grows the buffers nor restarts the
// processing on the audio thread: it runs in slices of the prepared size.
TEST_F(VST2Test, BlockLongerThanAnnouncedRunsInSlicesOfThePreparedSize) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  instance.Dispatch(vst2::effSetBlockSize, 0, 512);
  plug.resetBlockSizes.clear();
  Buffers<float> buffers(6, 1100);
  instance.effect->processReplacing(instance.effect, buffers.inPtrs.data(), buffers.outPtrs.data(), 1100);
  EXPECT_TRUE(plug.resetBlockSizes.empty());
  EXPECT_EQ(plug.GetBlockSize(), 512);
  EXPECT_EQ(plug.blocks, 3);
  EXPECT_EQ(plug.lastBlockFrames, 76);
  for (int c = 0; c < 6; ++c)
    for (int n = 0; n < 1100; n += 7) ASSERT_EQ(buffers.out[c][n], buffers.in[c][n]);

  const int frames = 2 * iplug::kMaxBlockFrames + 100;
  Buffers<double> large(6, frames);
  instance.effect->processDoubleReplacing(instance.effect, large.inPtrs.data(), large.outPtrs.data(), frames);
  EXPECT_EQ(plug.GetBlockSize(), 512);
  EXPECT_EQ(plug.lastBlockFrames, 100);
  EXPECT_EQ(large.out[2][frames - 1], large.in[2][frames - 1]);

  // With two channels connected the host passes two buffers.
  vst2::VstSpeakerArrangement stereo{};
  stereo.numChannels = 2;
  instance.Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<vst2::VstIntPtr>(&stereo), &stereo);
  Buffers<float> two(2, frames);
  instance.effect->processReplacing(instance.effect, two.inPtrs.data(), two.outPtrs.data(), frames);
  EXPECT_EQ(two.out[1][frames - 1], two.in[1][frames - 1]);
  EXPECT_EQ(two.out[0][iplug::kMaxBlockFrames], two.in[0][iplug::kMaxBlockFrames]);
}

TEST_F(VST2Test, OfflineRenderingStartAndStopResetTheProcessing) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  Buffers<float> buffers(6, 64);
  auto process = [&] {
    instance.effect->processReplacing(instance.effect, buffers.inPtrs.data(), buffers.outPtrs.data(), 64);
  };
  process();
  EXPECT_EQ(plug.resets, 0);
  host.processLevel = vst2::kVstProcessLevelOffline;
  process();
  process();
  EXPECT_TRUE(plug.GetRenderingOffline());
  EXPECT_EQ(plug.resets, 1);
  host.processLevel = vst2::kVstProcessLevelUser;
  process();
  EXPECT_FALSE(plug.GetRenderingOffline());
  EXPECT_EQ(plug.resets, 2);
  EXPECT_EQ(host.Count(vst2::audioMasterGetTime), 4);
  EXPECT_EQ(host.CallsOf(vst2::audioMasterGetTime).at(0).value, 0x3E00);
}

TEST_F(VST2Test, TransportFollowsWhatTheHostMarksValid) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  Buffers<float> buffers(6, 32);
  auto process = [&] {
    instance.effect->processReplacing(instance.effect, buffers.inPtrs.data(), buffers.outPtrs.data(), 32);
    return plug.GetTimeInfo();
  };

  host.reportTime = false;
  iplug::TimeInfo info = process();
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.samplePos, -1.0);
  EXPECT_FALSE(info.transportIsRunning);

  host.reportTime = true;
  host.timeInfo.samplePos = 48000.0;
  host.timeInfo.tempo = 96.0;
  host.timeInfo.ppqPos = 3.5;
  host.timeInfo.barStartPos = 0.0;
  host.timeInfo.cycleStartPos = 4.0;
  host.timeInfo.cycleEndPos = 8.0;
  host.timeInfo.timeSigNumerator = 7;
  host.timeInfo.timeSigDenominator = 8;
  host.timeInfo.flags = vst2::kVstTransportPlaying;  // values without their valid bits
  info = process();
  EXPECT_EQ(info.samplePos, 48000.0);
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.ppqPos, -1.0);
  EXPECT_EQ(info.numerator, 4);
  EXPECT_TRUE(info.transportIsRunning);

  host.timeInfo.flags = vst2::kVstPpqPosValid | vst2::kVstTempoValid | vst2::kVstBarsValid |
                        vst2::kVstCyclePosValid | vst2::kVstTimeSigValid | vst2::kVstTransportCycleActive;
  info = process();
  EXPECT_EQ(info.tempo, 96.0);
  EXPECT_EQ(info.ppqPos, 3.5);
  EXPECT_EQ(info.lastBar, 0.0);
  EXPECT_EQ(info.cycleStart, 4.0);
  EXPECT_EQ(info.cycleEnd, 8.0);
  EXPECT_EQ(info.numerator, 7);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_FALSE(info.transportIsRunning);
  EXPECT_TRUE(info.transportLoopEnabled);

  // Out-of-range values keep their defaults; a value the host stops
  // reporting returns to its default.
  host.timeInfo.tempo = 0.0;
  host.timeInfo.cycleStartPos = -1.0;
  host.timeInfo.timeSigDenominator = 0;
  host.timeInfo.ppqPos = -0.5;
  info = process();
  EXPECT_EQ(info.tempo, 120.0);
  EXPECT_EQ(info.cycleStart, -1.0);
  EXPECT_EQ(info.cycleEnd, -1.0);
  EXPECT_EQ(info.numerator, 4);
  EXPECT_EQ(info.ppqPos, -1.0);
}

TEST_F(VST2Test, ProcessWithoutSetupOrBuffers) {
  Instance instance(host);
  vst2::AEffect* e = instance.effect;
  // Before any sample rate, block size or resume; null buffer arrays; no frames.
  Buffers<float> buffers(6, 512);
  e->processReplacing(e, buffers.inPtrs.data(), buffers.outPtrs.data(), 512);
  e->processReplacing(e, nullptr, buffers.outPtrs.data(), 64);
  EXPECT_EQ(buffers.out[0][10], 0.0f);
  e->processReplacing(e, buffers.inPtrs.data(), nullptr, 64);
  e->processDoubleReplacing(e, nullptr, nullptr, 64);
  e->process(e, buffers.inPtrs.data(), buffers.outPtrs.data(), 0);
  e->process(e, buffers.inPtrs.data(), buffers.outPtrs.data(), -5);
  EXPECT_EQ(instance.Plug().blocks, 4);  // empty and negative blocks are not processed
}
