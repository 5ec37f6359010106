// Kalvo5.so through its real entry points, as a host drives it.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "Kalvo5Module.h"
#include "plugin/ReadingTable.h"

namespace kalvo5::vst2test {
namespace {

TEST(Kalvo5Module, BothEntryPointsCreateIndependentInstances) {
  const Kalvo5Module& module = LoadKalvo5();
  ASSERT_NE(module.pluginMain, nullptr);
  ASSERT_NE(module.main, nullptr);
  RecordingHost host;
  Kalvo5Instance a(host, module.pluginMain);
  Kalvo5Instance b(host, module.main);
  ASSERT_NE(a.effect, b.effect);
  a.Set(kRMSGain, 0.75f);
  EXPECT_NE(b.Get(kRMSGain), 0.75f);
  EXPECT_EQ(b.effect->uniqueID, a.effect->uniqueID);
}

TEST(Kalvo5Module, ExportsOnlyTheEntryPoints) {
  // Nothing else may be visible to the host or to other plug-ins.
  const std::string command = std::string("nm -D --defined-only '") + Kalvo5Path() + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof(line), pipe)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    symbols.push_back(text.substr(text.rfind(' ') + 1));
  }
  ASSERT_EQ(pclose(pipe), 0);
  std::sort(symbols.begin(), symbols.end());
  EXPECT_EQ(symbols, (std::vector<std::string>{"VSTPluginMain", "main"}));
}

TEST(Kalvo5Module, EffectRecord) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  const vst2::AEffect& e = *plug.effect;
  EXPECT_EQ(e.magic, vst2::kEffectMagic);
  EXPECT_EQ(e.numParams, 57);
  EXPECT_EQ(e.numPrograms, 1);
  EXPECT_EQ(e.numInputs, 6);
  EXPECT_EQ(e.numOutputs, 6);
  EXPECT_EQ(e.flags, 0x1039);
  EXPECT_EQ(e.uniqueID, vst2::FourCharCode('V', 't', '5', '1'));
  EXPECT_EQ(e.version, 5360);
  EXPECT_EQ(e.initialDelay, 0);
  EXPECT_EQ(plug.Dispatch(vst2::effGetVendorVersion), 5360);
  EXPECT_EQ(plug.Dispatch(vst2::effGetVstVersion), 2400);
  EXPECT_EQ(plug.Dispatch(vst2::effIdentify), 0x4E764566);
  EXPECT_EQ(plug.Dispatch(vst2::effGetPlugCategory), vst2::kPlugCategAnalysis);

  // Hosts size their window from effEditGetRect before the editor opens: at
  // the editor's scale.
  vst2::ERect* rect = nullptr;
  ASSERT_EQ(plug.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 616);
  EXPECT_EQ(rect->bottom - rect->top, 352);
  e.setParameter(plug.effect, 0, 0.4f);  // "GUI Scale" 0.5 ... 3.0: 1.5
  ASSERT_EQ(plug.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right - rect->left, 924);
  EXPECT_EQ(rect->bottom - rect->top, 528);
  EXPECT_EQ(plug.Text(vst2::effGetEffectName), "Kalvo5");
  EXPECT_EQ(plug.Text(vst2::effGetVendorString), "Vantorel");
  EXPECT_EQ(plug.Text(vst2::effGetProductString), "Kalvo5");
  EXPECT_EQ(plug.Text(vst2::effGetProgramName), "Init");
  EXPECT_EQ(plug.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x400001})), 0);
}

TEST(Kalvo5Module, HostIdentificationAndParameterAnnouncement) {
  RecordingHost host;
  host.productString = "Cockos REAPER";
  Kalvo5Instance plug(host);
  plug.Dispatch(vst2::effOpen);
  EXPECT_EQ(host.Count(vst2::audioMasterGetProductString), 1);
  EXPECT_EQ(host.Count(vst2::audioMasterGetVendorVersion), 1);
  // In REAPER keys other than space stay with the host.
  EXPECT_EQ(plug.Dispatch(vst2::effEditKeyDown, 0, vst2::VKEY_ESCAPE), 0);
  plug.Dispatch(vst2::effOpen);
  EXPECT_EQ(host.Count(vst2::audioMasterGetProductString), 1);
}

TEST(Kalvo5Module, ParametersAsTheHostSeesThem) {
  RecordingHost host;
  Kalvo5Instance plug(host);
  plug.Dispatch(vst2::effOpen);
  EXPECT_EQ(plug.Text(vst2::effGetParamName, kType), "Type");
  EXPECT_EQ(plug.Text(vst2::effGetParamName, kRMSWFilterMode), "RMS Weighting Filer Mode");
  plug.SetText(kType, "EBU");
  EXPECT_EQ(plug.Display(kType), "EBU");
  EXPECT_EQ(plug.Text(vst2::effGetParamLabel, kType), "");
  plug.SetText(kEBURefLevel, "-24");
  EXPECT_EQ(plug.Display(kEBURefLevel), "-24.0");
  // getParameter and setParameter agree through the normalized value.
  plug.Set(kRMSWindow, plug.Get(kRMSWindow));
  const float window = plug.Get(kRMSWindow);
  plug.Set(kRMSWindow, 0.5f);
  EXPECT_FLOAT_EQ(plug.Get(kRMSWindow), 0.5f);
  EXPECT_NE(plug.Get(kRMSWindow), window);

  EXPECT_EQ(plug.Dispatch(vst2::effCanBeAutomated, kType), 1);
  EXPECT_EQ(plug.Dispatch(vst2::effCanBeAutomated, 57), 0);
  EXPECT_EQ(plug.Dispatch(vst2::effCanBeAutomated, -1), 0);
  vst2::VstParameterProperties props{};
  ASSERT_EQ(plug.Dispatch(vst2::effGetParameterProperties, kType, 0, &props), 1);
  EXPECT_EQ(props.maxInteger, 2);

  std::string receive = "receiveVstEvents", cockos = "hasCockosExtensions";
  EXPECT_EQ(plug.Dispatch(vst2::effCanDo, 0, 0, receive.data()), 0);
  EXPECT_EQ(plug.Dispatch(vst2::effCanDo, 0, 0, cockos.data()), 0xBEEF0000);

  vst2::VstPinProperties pin{};
  ASSERT_EQ(plug.Dispatch(vst2::effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive | vst2::kVstPinIsStereo);
  ASSERT_EQ(plug.Dispatch(vst2::effGetInputProperties, 4, 0, &pin), 1);
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive | vst2::kVstPinIsStereo);
  ASSERT_EQ(plug.Dispatch(vst2::effGetInputProperties, 5, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 6");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive);
}

// The displays a host's generic panel can reach for one parameter, stepping
// over the range the parameter's properties give it. Qtractor's rule: with
// kVstParameterUsesIntegerMinMax it sends minInteger ... maxInteger as they
// are; otherwise 0 ... 1, here in steps of stepFloat (or 1/1000).
std::set<std::string> ReachableDisplays(const Kalvo5Instance& plug, int index, bool integerRangeAsValues) {
  vst2::VstParameterProperties props{};
  plug.Dispatch(vst2::effGetParameterProperties, index, 0, &props);
  std::vector<float> values;
  if (integerRangeAsValues && (props.flags & vst2::kVstParameterUsesIntegerMinMax) != 0) {
    for (int v = props.minInteger; v <= props.maxInteger; ++v) values.push_back(static_cast<float>(v));
  } else {
    const bool stepped = (props.flags & vst2::kVstParameterUsesFloatStep) != 0 && props.stepFloat > 0.0f;
    const int steps = stepped ? static_cast<int>(1.0f / props.stepFloat + 0.5f) : 1000;
    for (int k = 0; k <= steps; ++k) values.push_back(static_cast<float>(k) / static_cast<float>(steps));
  }
  std::set<std::string> displays;
  for (float v : values) {
    plug.Set(index, v);
    displays.insert(plug.Display(index));
  }
  return displays;
}

// Every entry of every list parameter can be chosen in Qtractor's generic
// panel, which reads the integer range as the range of the values it sends;
// other hosts keep the integer description.
TEST(Kalvo5Module, EveryListEntryIsReachableInQtractorsPanel) {
  RecordingHost qtractor;
  qtractor.productString = "Qtractor";
  Kalvo5Instance plug(qtractor);
  plug.Dispatch(vst2::effOpen);
  RecordingHost other;
  Kalvo5Instance reference(other);
  reference.Dispatch(vst2::effOpen);
  int lists = 0;
  for (int index = 0; index < kNumParams; ++index) {
    vst2::VstParameterProperties props{};
    reference.Dispatch(vst2::effGetParameterProperties, index, 0, &props);
    if ((props.flags & vst2::kVstParameterUsesIntegerMinMax) == 0) continue;
    ++lists;
    EXPECT_EQ(ReachableDisplays(plug, index, true), ReachableDisplays(reference, index, false))
        << plug.Text(vst2::effGetParamName, index);
  }
  EXPECT_GE(lists, 10);
  vst2::VstParameterProperties props{};
  plug.Dispatch(vst2::effGetParameterProperties, kType, 0, &props);
  EXPECT_STREQ(props.label, "Type");
}

TEST(Kalvo5Module, StateChunkRestoresEveryParameterInANewInstance) {
  RecordingHost host;
  std::vector<float> values(kNumParams);
  std::vector<std::uint8_t> program, bank;
  {
    Kalvo5Instance source(host);
    source.Dispatch(vst2::effOpen);
    source.SetText(kType, "DIAL");
    source.SetText(kRMSWindow, "750");
    source.SetText(kRMSMode, "AVG");
    source.SetText(kRMSWFilterMode, "Leq(C)");
    source.SetText(kEBUGain, "-3.5");
    source.SetText(kEBUChannelConfig, "5.1");
    source.SetText(kDIALRefLevel, "-27");
    source.SetText(kTruePeak, "Off");
    source.SetText(kWriteAutomationData, "On");
    for (int i = 0; i < kNumParams; ++i) values[i] = source.Get(i);
    program = source.Chunk(false);
    bank = source.Chunk(true);
  }
  ASSERT_GT(program.size(), 8u);
  const std::uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(program.data(), header, 8), 0);
  EXPECT_EQ(std::memcmp(bank.data(), header, 8), 0);

  for (const bool asBank : {false, true}) {
    Kalvo5Instance target(host);
    target.Dispatch(vst2::effOpen);
    ASSERT_EQ(target.Restore(asBank, asBank ? bank : program), 1);
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(target.Get(i), values[i]) << "parameter " << i;
    EXPECT_EQ(target.Display(kType), "DIAL");
  }

  // A program chunk without its header, given as a bank, is one state.
  Kalvo5Instance bare(host);
  bare.Dispatch(vst2::effOpen);
  ASSERT_EQ(bare.Restore(true, {program.begin() + 8, program.end()}), 1);
  EXPECT_EQ(bare.Display(kRMSWindow), "750");
  // A header cut short is refused and changes nothing.
  EXPECT_EQ(bare.Restore(false, {0x74, 0x66, 0x66, 0x70, 0x00}), 0);
  EXPECT_EQ(bare.Display(kRMSWindow), "750");
}

}  // namespace
}  // namespace kalvo5::vst2test
