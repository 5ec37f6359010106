#include <cmath>
#include <limits>
#include <new>
#include <string>

#include "VST2TestSupport.h"
#include "framework/iplug/VST2Keys.h"

using namespace vst2test;
using iplug::ParamSource;

TEST_F(VST2Test, EffectRecordDescribesThePlugin) {
  Instance instance(host);
  ASSERT_NE(instance.effect, nullptr);
  const vst2::AEffect& e = *instance.effect;
  EXPECT_EQ(e.magic, 0x56737450);
  EXPECT_EQ(e.numParams, 5);
  EXPECT_EQ(e.numPrograms, 1);
  EXPECT_EQ(e.numInputs, 6);
  EXPECT_EQ(e.numOutputs, 6);
  // Replacing, double replacing, program chunks and mono; no editor window yet.
  EXPECT_EQ(e.flags, 0x1038);
  EXPECT_EQ(e.uniqueID, 0x56743531);
  EXPECT_EQ(e.version, 5360);
  EXPECT_EQ(e.initialDelay, 0);
  EXPECT_EQ(e.ioRatio, 1.0f);
  EXPECT_EQ(e.resvd2, 0);
  EXPECT_EQ(e.user, nullptr);
  EXPECT_NE(e.process, nullptr);
  EXPECT_NE(e.processReplacing, nullptr);
  EXPECT_NE(e.processDoubleReplacing, nullptr);

  EXPECT_EQ(instance.Dispatch(vst2::effGetVendorVersion), 5360);
  EXPECT_EQ(instance.Dispatch(vst2::effGetVstVersion), 2400);
  EXPECT_EQ(instance.Dispatch(vst2::effIdentify), 0x4E764566);
  EXPECT_EQ(instance.Dispatch(vst2::effGetPlugCategory), vst2::kPlugCategAnalysis);
  EXPECT_EQ(instance.Dispatch(vst2::effGetTailSize), 1);
  EXPECT_EQ(instance.Text(vst2::effGetEffectName), "Kalvo5");
  EXPECT_EQ(instance.Text(vst2::effGetVendorString), "Vantorel");
  EXPECT_EQ(instance.Text(vst2::effGetProductString), "Kalvo5");
  EXPECT_EQ(instance.Dispatch(vst2::effGetVendorString), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effEditIdle), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effSetBypass, 0, 1), 0);
}

TEST_F(VST2Test, RecordReflectsOtherConfigurations) {
  auto make = [](const iplug::InstanceInfo& info) -> iplug::IPlugVST2* {
    iplug::PluginConfig config = TestConfig();
    config.nPresets = 0;
    config.channelIO = "2-2";
    config.stateChunks = false;
    config.pluginType = 1;
    return new TestPlugin(info, config);
  };
  Instance instance(host, make);
  EXPECT_EQ(instance.effect->numPrograms, 1);
  EXPECT_EQ(instance.effect->numInputs, 2);
  EXPECT_EQ(instance.effect->flags,
            vst2::effFlagsCanReplacing | vst2::effFlagsCanDoubleReplacing | vst2::effFlagsIsSynth);
  EXPECT_EQ(instance.Dispatch(vst2::effGetPlugCategory), vst2::kPlugCategSynth);
}

TEST_F(VST2Test, EntryPointRejectsWhatCannotBeAHostAndRunsWithoutOne) {
  EXPECT_EQ(iplug::CreateVST2Effect(reinterpret_cast<vst2::audioMasterCallback>(std::uintptr_t{2}),
                                    &MakeTestPlugin),
            nullptr);
  EXPECT_EQ(iplug::CreateVST2Effect(&RecordingHost::Callback, nullptr), nullptr);
  auto failing = [](const iplug::InstanceInfo&) -> iplug::IPlugVST2* { throw std::bad_alloc(); };
  EXPECT_EQ(iplug::CreateVST2Effect(&RecordingHost::Callback, failing), nullptr);

  Instance hostless(nullptr);
  ASSERT_NE(hostless.effect, nullptr);
  EXPECT_EQ(hostless.Dispatch(vst2::effOpen), 0);
  EXPECT_EQ(hostless.Plug().GetHost(), iplug::kHostUnknown);
  float in[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  float out[8] = {};
  float* ins[6] = {in, in, in, in, in, in};
  float* outs[6] = {out, out, out, out, out, out};
  hostless.effect->processReplacing(hostless.effect, ins, outs, 8);
  EXPECT_EQ(out[7], 1.0f);
}

TEST_F(VST2Test, OpenIdentifiesTheHostOnceAndAnnouncesEveryParameter) {
  host.productString = "REAPER";
  host.vendorVersion = 71234;  // 7.12.34
  Instance instance(host);
  EXPECT_EQ(instance.Dispatch(vst2::effOpen), 0);
  TestPlugin& plug = instance.Plug();
  EXPECT_EQ(plug.GetHost(), iplug::kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(), 7 * 65536 + 12 * 256 + 34);
  EXPECT_STREQ(plug.GetHostProductString(), "REAPER");
  EXPECT_EQ(plug.hostIdentified, 1);
  ASSERT_EQ(plug.paramChanges.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(plug.paramChanges[i], std::make_pair(i, ParamSource::Reset));

  instance.Dispatch(vst2::effOpen);
  EXPECT_EQ(host.Count(vst2::audioMasterGetProductString), 1);
  EXPECT_EQ(plug.hostIdentified, 1);
  EXPECT_EQ(plug.paramChanges.size(), 10u);
}

TEST_F(VST2Test, HostWithoutProductStringIsUnknownAndNotAskedForItsVersion) {
  host.productString = "";
  Instance instance(host);
  instance.Dispatch(vst2::effOpen);
  EXPECT_EQ(instance.Plug().GetHost(), iplug::kHostUnknown);
  EXPECT_EQ(instance.Plug().GetHostVersion(), 0);
  EXPECT_EQ(host.Count(vst2::audioMasterGetVendorVersion), 0);
}

TEST_F(VST2Test, AnOverlongProductStringIsCutAtTheBuffer) {
  host.productString = std::string(255, 'a');  // fills the 256-byte buffer exactly
  Instance instance(host);
  instance.Dispatch(vst2::effOpen);
  EXPECT_EQ(std::string(instance.Plug().GetHostProductString()).size(), 255u);
}

TEST_F(VST2Test, SomeHostsGetOnlyTwoInputChannels) {
  host.productString = "Adobe Audition";
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  plug.ConnectChannels(iplug::kOutput, 3, 3, false);
  instance.Dispatch(vst2::effOpen);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kInput), 2);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kOutput), 6);
  EXPECT_EQ(instance.effect->numInputs, 6);
}

TEST_F(VST2Test, ParameterCallbacksStoreQueueAndReactWithoutTheLock) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  vst2::AEffect* e = instance.effect;
  e->setParameter(e, kGain, 0.75f);
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 30.0);
  EXPECT_FLOAT_EQ(e->getParameter(e, kGain), 0.75f);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0], std::make_pair(int{kGain}, ParamSource::Host));
  EXPECT_FALSE(plug.lockedInParamChange);
  iplug::ParamChange queued;
  ASSERT_TRUE(plug.Queues().params.Pop(queued));
  EXPECT_EQ(queued.index, kGain);
  EXPECT_DOUBLE_EQ(queued.value, 30.0);

  // Indices outside the list and NaN change nothing.
  e->setParameter(e, 5, 0.5f);
  e->setParameter(e, -1, 0.5f);
  EXPECT_EQ(plug.paramChanges.size(), 1u);
  e->setParameter(e, kGain, std::numeric_limits<float>::quiet_NaN());
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 30.0);
  EXPECT_EQ(e->getParameter(e, 5), 0.0f);
  EXPECT_EQ(e->getParameter(e, std::numeric_limits<vst2::VstInt32>::min()), 0.0f);

  // Host text entry goes the same way, as a real value.
  const std::size_t changes = plug.paramChanges.size();
  char text[] = "-12.34 dB";
  EXPECT_EQ(instance.Dispatch(vst2::effString2Parameter, kGain, 0, text), 1);
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), -12.34);
  EXPECT_TRUE(plug.lockedInParamChange);  // the dispatcher holds the main-thread lock
  // A null text only asks whether text is taken.
  EXPECT_EQ(instance.Dispatch(vst2::effString2Parameter, kGain, 0, nullptr), 1);
  EXPECT_EQ(instance.Dispatch(vst2::effString2Parameter, 99, 0, text), 0);
  EXPECT_EQ(plug.paramChanges.size(), changes + 1);
}

TEST_F(VST2Test, ParameterTextsAndProperties) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  plug.GetParam(kGain)->SetValue(-6.0);
  EXPECT_EQ(instance.Text(vst2::effGetParamName, kGain), "Gain");
  EXPECT_EQ(instance.Text(vst2::effGetParamLabel, kGain), "dB");
  EXPECT_EQ(instance.Text(vst2::effGetParamDisplay, kGain), "-6.0");
  EXPECT_EQ(instance.Text(vst2::effGetParamDisplay, kMode), "EBU");
  EXPECT_EQ(instance.Text(vst2::effGetParamLabel, kMode), "");
  // An invalid index leaves the host's buffer alone.
  EXPECT_EQ(instance.Text(vst2::effGetParamName, 5)[0], 'x');
  EXPECT_EQ(instance.Dispatch(vst2::effGetParamName, 0, 0, nullptr), 0);

  EXPECT_EQ(instance.Dispatch(vst2::effCanBeAutomated, kGain), 1);
  EXPECT_EQ(instance.Dispatch(vst2::effCanBeAutomated, kReadout), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effCanBeAutomated, 5), 0);

  vst2::VstParameterProperties props{};
  props.category = 7;
  ASSERT_EQ(instance.Dispatch(vst2::effGetParameterProperties, kCount, 0, &props), 1);
  EXPECT_EQ(props.flags, vst2::kVstParameterUsesIntegerMinMax | vst2::kVstParameterUsesIntStep);
  EXPECT_EQ(props.minInteger, 1);
  EXPECT_EQ(props.maxInteger, 8);
  EXPECT_EQ(props.stepInteger, 1);
  EXPECT_EQ(props.largeStepInteger, 1);
  EXPECT_EQ(props.category, 7);  // untouched
  vst2::VstParameterProperties gain{};
  ASSERT_EQ(instance.Dispatch(vst2::effGetParameterProperties, kGain, 0, &gain), 1);
  EXPECT_EQ(gain.flags, vst2::kVstParameterUsesFloatStep);
  EXPECT_FLOAT_EQ(gain.stepFloat, 0.1f);
  EXPECT_FLOAT_EQ(gain.largeStepFloat, 0.1f);
  // Hosts (Ardour) list the parameter under this text: the name, not the unit.
  EXPECT_STREQ(gain.label, "Gain");
  EXPECT_EQ(instance.Dispatch(vst2::effGetParameterProperties, 5, 0, &gain), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effGetParameterProperties, kGain, 0, nullptr), 0);
}

TEST_F(VST2Test, CanDoAnswers) {
  Instance instance(host);
  auto canDo = [&](const char* query) {
    std::string text = query;
    return instance.Dispatch(vst2::effCanDo, 0, 0, text.data());
  };
  EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
  EXPECT_EQ(canDo("receiveVstEvents"), 0);
  EXPECT_EQ(canDo("receiveVstMidiEvent"), 0);
  EXPECT_EQ(canDo("sendVstEvents"), 0);
  EXPECT_EQ(canDo("hasCockosExtensions"), 0xBEEF0000);
  EXPECT_EQ(canDo("hasCockosViewAsConfig"), 0xBEEF0000);
  EXPECT_EQ(canDo("wantsChannelCountNotifications"), 1);
  EXPECT_EQ(canDo("MPE"), 0);
  EXPECT_EQ(canDo("supportsGainReductionInfo"), 1);
  EXPECT_EQ(canDo("receivevsttimeinfo"), 0);
  EXPECT_EQ(canDo(""), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effCanDo, 0, 0, nullptr), 0);
}

TEST_F(VST2Test, VendorExtensions) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  // The display of a value the parameter does not hold.
  char display[64] = "unchanged";
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effGetParamDisplay, kGain, display, 0.25f),
            0xBEEF);
  EXPECT_STREQ(display, "-30.0");
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 0.0);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effGetParamDisplay, kMode, display, 1.0f),
            0xBEEF);
  EXPECT_STREQ(display, "DIAL");
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effGetParamDisplay, 9, display, 0.5f), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effGetParamDisplay, kGain, nullptr, 0.5f), 0);

  // Two-state parameters.
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, 8, kTrigger), 0xBEEF);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, 8, kMode), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, 8, kGain), 0);

  // A text turned into the normalized value, written over the text.
  char text[64] = "30";
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effString2Parameter, kGain, text), 0xBEEF);
  EXPECT_STREQ(text, "0.75000000000000000");
  char empty[64] = "";
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effString2Parameter, kGain, empty), 0xBEEF);
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::effString2Parameter, 5, text), 0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 0.0);

  // Gain reduction in dB: none.
  float reduction = -1.0f;
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::kPresonusVendor, vst2::kPresonusGainReduction,
                              &reduction),
            1);
  EXPECT_EQ(reduction, 0.0f);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, vst2::kPresonusVendor, vst2::kPresonusContentScale,
                              &reduction, 2.0f),
            0);
  EXPECT_EQ(instance.Dispatch(vst2::effVendorSpecific, 12345, 0, text), 0);
}

TEST_F(VST2Test, ChannelPropertiesAndSpeakerArrangements) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  vst2::VstPinProperties pin{};
  ASSERT_EQ(instance.Dispatch(vst2::effGetInputProperties, 0, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 1");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive | vst2::kVstPinIsStereo);
  ASSERT_EQ(instance.Dispatch(vst2::effGetOutputProperties, 4, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Output 5");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive | vst2::kVstPinIsStereo);
  ASSERT_EQ(instance.Dispatch(vst2::effGetInputProperties, 5, 0, &pin), 1);
  EXPECT_STREQ(pin.label, "Input 6");
  EXPECT_EQ(pin.flags, vst2::kVstPinIsActive);
  EXPECT_EQ(instance.Dispatch(vst2::effGetInputProperties, 6, 0, &pin), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effGetInputProperties, -1, 0, &pin), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effGetInputProperties, 0, 0, nullptr), 0);

  vst2::VstSpeakerArrangement* in = nullptr;
  vst2::VstSpeakerArrangement* out = nullptr;
  ASSERT_EQ(
      instance.Dispatch(vst2::effGetSpeakerArrangement, 0, reinterpret_cast<vst2::VstIntPtr>(&in), &out), 1);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->numChannels, 6);
  EXPECT_EQ(in->type, vst2::kSpeakerArrUserDefined);
  EXPECT_EQ(out->numChannels, 6);
  EXPECT_EQ(instance.Dispatch(vst2::effGetSpeakerArrangement), 1);

  vst2::VstSpeakerArrangement stereo{};
  stereo.numChannels = 2;
  vst2::VstSpeakerArrangement mono{};
  mono.numChannels = 1;
  EXPECT_EQ(
      instance.Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<vst2::VstIntPtr>(&stereo), &mono),
      1);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kInput), 2);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kOutput), 1);
  // Only the output side: the inputs stay as they are.
  vst2::VstSpeakerArrangement six{};
  six.numChannels = 6;
  EXPECT_EQ(instance.Dispatch(vst2::effSetSpeakerArrangement, 0, 0, &six), 1);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kInput), 2);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kOutput), 6);
  // More channels than the plug-in has, or a negative count: refused.
  vst2::VstSpeakerArrangement eight{};
  eight.numChannels = 8;
  EXPECT_EQ(instance.Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<vst2::VstIntPtr>(&eight)),
            0);
  vst2::VstSpeakerArrangement negative{};
  negative.numChannels = -3;
  EXPECT_EQ(
      instance.Dispatch(vst2::effSetSpeakerArrangement, 0, reinterpret_cast<vst2::VstIntPtr>(&negative)), 0);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kInput), 2);
}

TEST_F(VST2Test, HostNotificationsGoThroughTheCallback) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  plug.SendParamToHost(kGain, 0.25);
  plug.SendParamToHost(17, 0.25);
  plug.BeginParamGesture(kMode);
  plug.EndParamGesture(kMode);
  plug.NotifyHostDisplayChanged();
  const auto automation = host.CallsOf(vst2::audioMasterAutomate);
  ASSERT_EQ(automation.size(), 1u);
  EXPECT_EQ(automation[0].index, kGain);
  EXPECT_EQ(automation[0].opt, 0.25f);
  EXPECT_EQ(host.CallsOf(vst2::audioMasterBeginEdit).at(0).index, kMode);
  EXPECT_EQ(host.CallsOf(vst2::audioMasterEndEdit).at(0).index, kMode);
  EXPECT_EQ(host.Count(vst2::audioMasterUpdateDisplay), 1);

  // A latency change: recorded, reported, and channel changes refused while
  // the host reacts to it.
  host.onIOChanged = [](vst2::AEffect* effect) {
    vst2::VstSpeakerArrangement two{};
    two.numChannels = 2;
    return effect->dispatcher(effect, vst2::effSetSpeakerArrangement, 0,
                              reinterpret_cast<vst2::VstIntPtr>(&two), nullptr, 0.0f);
  };
  plug.ChangeLatency(64);
  EXPECT_EQ(instance.effect->initialDelay, 64);
  EXPECT_EQ(plug.GetLatency(), 64);
  EXPECT_EQ(host.Count(vst2::audioMasterIOChanged), 1);
  EXPECT_EQ(host.ioChangedResult, 0);
  EXPECT_EQ(plug.NChannelsConnected(iplug::kInput), 6);

  // Editor size requests.
  EXPECT_FALSE(plug.RequestEditorSize(616, 352));
  EXPECT_TRUE(plug.RequestEditorSize(924, 528));
  EXPECT_EQ(host.CallsOf(vst2::audioMasterSizeWindow).at(0).index, 924);
  EXPECT_EQ(host.CallsOf(vst2::audioMasterSizeWindow).at(0).value, 528);
  vst2::ERect* rect = nullptr;
  ASSERT_EQ(instance.Dispatch(vst2::effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 924);
  EXPECT_EQ(rect->bottom, 528);
  EXPECT_EQ(rect->top, 0);
  host.sizeWindowAnswer = 0;
  EXPECT_FALSE(plug.RequestEditorSize(616, 352));  // the host refused; the size is stored all the same
  EXPECT_EQ(plug.EditorWidth(), 616);
  EXPECT_EQ(instance.Dispatch(vst2::effEditGetRect, 0, 0, nullptr), 0);
  // The notifications were called straight from the test, not from inside
  // a call into the plug-in.
  host.callsOutsidePluginCalls = 0;
}

TEST_F(VST2Test, EditorOpensNothingYetAndClosesQuietly) {
  Instance instance(host);
  EXPECT_EQ(instance.Dispatch(vst2::effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x1234})), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effEditClose), 1);
  EXPECT_EQ(instance.Dispatch(vst2::effEditClose), 1);
}

TEST_F(VST2Test, KeysReachTheEditorAsWindowsKeyCodes) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  EXPECT_EQ(instance.Dispatch(vst2::effEditKeyDown, 'a', 0, nullptr, 1.0f), 1);
  EXPECT_EQ(instance.Dispatch(vst2::effEditKeyUp, 0, vst2::VKEY_F5, nullptr, 8.0f), 0);
  EXPECT_EQ(instance.Dispatch(vst2::effEditKeyDown, 0, vst2::VKEY_ESCAPE), 0);
  ASSERT_EQ(plug.keys.size(), 3u);
  EXPECT_EQ(plug.keys[0].vk, 'A');
  EXPECT_STREQ(plug.keys[0].utf8, "a");
  EXPECT_TRUE(plug.keys[0].shift);
  EXPECT_FALSE(plug.keys[0].control);
  EXPECT_EQ(plug.keys[1].vk, 0x74);
  EXPECT_TRUE(plug.keys[1].control);
  EXPECT_EQ(plug.keys[2].vk, 0x1B);

  // In REAPER only the space key reaches the editor.
  host.productString = "REAPER v7.0";
  Instance reaper(host);
  reaper.Dispatch(vst2::effOpen);
  EXPECT_EQ(reaper.Dispatch(vst2::effEditKeyDown, 0, vst2::VKEY_ESCAPE), 0);
  EXPECT_EQ(reaper.Dispatch(vst2::effEditKeyDown, 'b', 0), 0);
  EXPECT_TRUE(reaper.Plug().keys.empty());
  EXPECT_EQ(reaper.Dispatch(vst2::effEditKeyDown, ' ', vst2::VKEY_SPACE), 1);
  ASSERT_EQ(reaper.Plug().keys.size(), 1u);
  EXPECT_EQ(reaper.Plug().keys[0].vk, 0x20);
}

TEST(KeyTranslation, VirtualKeysCharactersAndModifiers) {
  using iplug::WindowsKeyCode;
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_BACK), 0x08);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_RETURN), 0x0D);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_ENTER), 0x0D);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_NEXT), 0x22);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_PAGEDOWN), 0x22);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_PAGEUP), 0x21);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_DOWN), 0x28);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_HELP), 0x2F);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_NUMPAD9), 0x69);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_DIVIDE), 0x6F);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_F12), 0x7B);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_SCROLL), 0x91);
  EXPECT_EQ(WindowsKeyCode(0, vst2::VKEY_ALT), 0x12);
  EXPECT_EQ(WindowsKeyCode(0, 58), 0);
  EXPECT_EQ(WindowsKeyCode(0, -4), 0);
  // Characters as the keyboard types them, with the shift state.
  EXPECT_EQ(WindowsKeyCode('=', vst2::VKEY_EQUALS), 0xBB);
  EXPECT_EQ(WindowsKeyCode('+', 0), 0x1BB);
  EXPECT_EQ(WindowsKeyCode('7', 0), '7');
  EXPECT_EQ(WindowsKeyCode('&', 0), 0x137);
  EXPECT_EQ(WindowsKeyCode('Z', 0), 0x15A);
  EXPECT_EQ(WindowsKeyCode('.', 0), 0xBE);
  EXPECT_EQ(WindowsKeyCode(0xE9, 0), -1);  // no key types it: -1, sign-extended

  const iplug::KeyPress key = iplug::MakeKeyPress(0xE9, 0, vst2::MODIFIER_ALTERNATE | vst2::MODIFIER_SHIFT);
  EXPECT_STREQ(key.utf8, "\xC3\xA9");
  EXPECT_TRUE(key.alt);
  EXPECT_TRUE(key.shift);
  EXPECT_FALSE(key.control);
  EXPECT_STREQ(iplug::MakeKeyPress(0, vst2::VKEY_UP, 0).utf8, "");
}

TEST_F(VST2Test, ProgramsByIndexAndName) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  EXPECT_EQ(instance.Text(vst2::effGetProgramName), "Empty");  // filled by the entry point
  EXPECT_EQ(instance.Dispatch(vst2::effGetProgram), 0);
  char name[300];
  EXPECT_EQ(instance.Dispatch(vst2::effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "Empty");
  EXPECT_EQ(instance.Dispatch(vst2::effGetProgramNameIndexed, 1, 0, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(instance.Dispatch(vst2::effGetProgramNameIndexed, 0, 0, nullptr), 0);

  // Renaming stores the current state with the name.
  plug.GetParam(kGain)->SetValue(12.0);
  char newName[] = "Loud";
  instance.Dispatch(vst2::effSetProgramName, 0, 0, newName);
  EXPECT_EQ(instance.Text(vst2::effGetProgramName), "Loud");
  plug.GetParam(kGain)->SetValue(-3.0);
  instance.Dispatch(vst2::effSetProgram, 0, 0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 12.0);
  EXPECT_EQ(plug.statesRestored, 1);

  // An invalid program changes nothing, not even the current slot.
  plug.GetParam(kGain)->SetValue(-3.0);
  instance.Dispatch(vst2::effSetProgram, 0, 5);
  instance.Dispatch(vst2::effSetProgram, 0, -1);
  instance.Dispatch(vst2::effSetProgram, 0, std::numeric_limits<vst2::VstIntPtr>::max());
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), -3.0);
  instance.Dispatch(vst2::effSetProgram, 0, 0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kGain)->GetValue(), 12.0);
}

TEST_F(VST2Test, StreamSettingsResetTheProcessing) {
  Instance instance(host);
  TestPlugin& plug = instance.Plug();
  instance.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  instance.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, -1.0f);
  instance.Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, std::numeric_limits<float>::infinity());
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  instance.Dispatch(vst2::effSetBlockSize, 0, 256);
  EXPECT_EQ(plug.GetBlockSize(), 256);
  instance.Dispatch(vst2::effSetBlockSize, 0, 0);
  instance.Dispatch(vst2::effSetBlockSize, 0, -5);
  instance.Dispatch(vst2::effSetBlockSize, 0, std::numeric_limits<vst2::VstIntPtr>::max());
  // Beyond an int (a 64-bit host's value) it is no block size; from a 32-bit
  // host it is the largest int, clamped as 1 << 30 is below.
  EXPECT_EQ(plug.GetBlockSize(), sizeof(vst2::VstIntPtr) > sizeof(int) ? 256 : iplug::kMaxBlockFrames);
  instance.Dispatch(vst2::effSetBlockSize, 0, 1 << 30);
  EXPECT_EQ(plug.GetBlockSize(), iplug::kMaxBlockFrames);
  const int resetsBefore = plug.resets;
  instance.Dispatch(vst2::effMainsChanged, 0, 1);
  EXPECT_EQ(plug.resets, resetsBefore);
  instance.Dispatch(vst2::effMainsChanged, 0, 0);
  EXPECT_EQ(plug.resets, resetsBefore + 1);
  EXPECT_EQ(plug.activeCalls, (std::vector<bool>{true, false}));
}

TEST_F(VST2Test, MidiFromTheHostIsEchoedAndQueuedForTheEditor) {
  Instance instance(host);
  vst2::VstMidiEvent note{};
  note.type = vst2::kVstMidiType;
  note.byteSize = sizeof(note);
  note.deltaFrames = 17;
  note.midiData[0] = static_cast<char>(0x90);
  note.midiData[1] = 60;
  note.midiData[2] = 100;
  vst2::VstMidiSysexEvent sysEx{};
  sysEx.type = vst2::kVstSysExType;
  sysEx.dumpBytes = 1 << 20;  // claims more than it has: read no more than a message holds
  sysEx.sysexDump = nullptr;
  struct {
    vst2::VstInt32 numEvents;
    vst2::VstIntPtr reserved;
    vst2::VstEvent* events[3];
  } events{
      3, 0, {reinterpret_cast<vst2::VstEvent*>(&note), nullptr, reinterpret_cast<vst2::VstEvent*>(&sysEx)}};
  EXPECT_EQ(instance.Dispatch(vst2::effProcessEvents, 0, 0, &events), 1);
  ASSERT_EQ(host.midiEvents.size(), 1u);
  EXPECT_EQ(host.midiEvents[0].deltaFrames, 17);
  EXPECT_EQ(host.midiEvents[0].byteSize, 32);
  EXPECT_EQ(static_cast<unsigned char>(host.midiEvents[0].midiData[0]), 0x90);
  EXPECT_EQ(host.midiEvents[0].midiData[2], 100);
  iplug::IMidiMsg queued;
  ASSERT_TRUE(instance.Plug().Queues().midiToEditor.Pop(queued));
  EXPECT_EQ(queued.data1, 60);
  EXPECT_EQ(instance.Dispatch(vst2::effProcessEvents, 0, 0, nullptr), 0);
}

TEST_F(VST2Test, CloseDestroysThePlugin) {
  Instance instance(host);
  EXPECT_EQ(TestPlugin::sLiving, 1);
  instance.Close();
  EXPECT_EQ(TestPlugin::sLiving, 0);
}

TEST_F(VST2Test, NullPointersAndInvalidIndicesOnEveryOpcode) {
  Instance instance(host);
  instance.Dispatch(vst2::effOpen);
  for (vst2::VstInt32 opcode = 0; opcode < 90; ++opcode) {
    if (opcode == vst2::effClose) continue;
    for (vst2::VstInt32 index : {-1, 0, 5, 1 << 30, std::numeric_limits<vst2::VstInt32>::min()}) {
      // Two opcodes take a pointer in value: only null there.
      const bool pointerValue =
          opcode == vst2::effSetSpeakerArrangement || opcode == vst2::effGetSpeakerArrangement;
      for (vst2::VstIntPtr value : {vst2::VstIntPtr{0}, vst2::VstIntPtr{-1}, vst2::VstIntPtr{99}}) {
        if (pointerValue && value != 0) continue;
        instance.Dispatch(opcode, index, value, nullptr, 0.0f);
        instance.Dispatch(opcode, index, value, nullptr, std::numeric_limits<float>::quiet_NaN());
      }
    }
  }
  EXPECT_EQ(TestPlugin::sLiving, 1);
  // A record whose object is gone answers nothing.
  vst2::AEffect orphan = *instance.effect;
  orphan.object = nullptr;
  EXPECT_EQ(orphan.dispatcher(&orphan, vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
  EXPECT_EQ(orphan.getParameter(&orphan, 0), 0.0f);
  orphan.setParameter(&orphan, 0, 1.0f);
  orphan.processReplacing(&orphan, nullptr, nullptr, 16);
  EXPECT_EQ(instance.effect->dispatcher(nullptr, vst2::effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
}
