// Kalvo5's editor in a real X server, through the real Kalvo5.so, driven as a
// Linux host drives an editor and used through real X input: the title
// bar's menus and arrows, a selector's popup menu, a value field's text
// entry, a file dropped with XDND, the corner resizer and the update
// indicator against a server on the loopback interface.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "EditorHostFixture.h"
#include "plugin/ReadingTable.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScratchFolder.h"
#include "support/XdndSource.h"

namespace editortest {
namespace {

using namespace kalvo5;

constexpr int kEditorWidth = 616;
constexpr int kEditorHeight = 352;

// The built plug-in menu as the editor's popup host lays it out (the
// framework's default text: 20 units an item, 7 a separator), one character
// a row: 'i' an item, '-' a separator. It does not fit below its button, so
// it ends at the editor's bottom edge.
constexpr std::string_view kPluginMenuRows = "i-i-iii-ii-i-i-iii-iii";
enum PluginMenuRow { kRowAbout = 2, kRowOnlineUpdateCheck = 9, kRowTooltips = 13, kRowFixedScale = 17 };

float PluginMenuRowCentre(int row) {
  auto height = [](char kind) { return kind == '-' ? 7.0f : 20.0f; };
  float total = 0.0f;
  for (char kind : kPluginMenuRows) total += height(kind);
  float top = std::min(31.0f, static_cast<float>(kEditorHeight) - total);
  for (int i = 0; i < row; ++i) top += height(kPluginMenuRows[static_cast<std::size_t>(i)]);
  return top + height(kPluginMenuRows[static_cast<std::size_t>(row)]) / 2.0f;
}

// A preset document in the plug-in's file format, as it saves one.
std::string PresetDocument(const std::string& name, const std::string& params) {
  return "<?xml version=\"1.0\" ?>\n<PresetXMLTree version=\"1\">\n<PluginVendor>Vantorel</PluginVendor>\n"
         "<PluginName>Kalvo5</PluginName>\n<PluginVersion>v5.0.0</PluginVersion>\n<Preset name=\"" +
         name + "\">\n<Parameter>\n" + params + "</Parameter>\n</Preset>\n</PresetXMLTree>\n";
}

class Kalvo5Host : public HostedEditor {
 protected:
  const char* ModulePath() const override { return KALVO5_MODULE; }

  void SetUp() override {
    // No user's presets or settings reach the tests, and nothing is left in
    // the user's folders.
    setenv("XDG_DATA_HOME", Scratch().c_str(), 1);
    // Nothing reaches the maker's server: a port nobody listens on.
    setenv("KALVO5_UPDATE_SERVER", "http://127.0.0.1:9", 1);
    HostedEditor::SetUp();
    if (effect) RestoreWithUpdateCheckOff();
  }

  // The automatic update check runs once per process, so only its own test
  // turns it on. The host cannot switch it (it ignores host changes of that
  // setting), but a restored session can: the plug-in's own state with that
  // one value changed in place.
  void RestoreWithUpdateCheckOff() {
    void* data = nullptr;
    const vst2::VstIntPtr size = Dispatch(vst2::effGetChunk, 1, 0, &data);
    ASSERT_GT(size, 0);
    std::string chunk(static_cast<const char*>(data), static_cast<std::size_t>(size));
    const std::string on = "name=\"Online Update Check\" val=\"1";
    const std::size_t at = chunk.find(on);
    ASSERT_NE(at, std::string::npos);
    chunk[at + on.size() - 1] = '0';
    Dispatch(vst2::effSetChunk, 1, size, chunk.data());
    ASSERT_EQ(Get(kOnlineUpdateCheck), 0.0f);
  }

  // The session saved and the plug-in made anew from it, as a host that
  // reloads the session does.
  void ReloadSession() {
    void* data = nullptr;
    const vst2::VstIntPtr size = Dispatch(vst2::effGetChunk, 1, 0, &data);
    ASSERT_GT(size, 0);
    std::string session(static_cast<const char*>(data), static_cast<std::size_t>(size));
    Dispatch(vst2::effClose);
    effect = host.Attach(reinterpret_cast<vst2::PluginEntryProc>(dlsym(module, "VSTPluginMain")));
    ASSERT_NE(effect, nullptr);
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetChunk, 1, size, session.data());
  }

  static const std::string& Scratch() { return testsupport::ProgramScratchFolder("kalvo5-editor-tests"); }

  float Get(int index) { return effect->getParameter(effect, index); }
  std::string Text(vst2::VstInt32 opcode, int index = 0) {
    char text[256] = {};
    Dispatch(opcode, index, 0, text);
    return text;
  }

  // Editor units to window pixels at the editor's present scale.
  double Scale() { return Rect().first / static_cast<double>(kEditorWidth); }
  int Px(double units) { return static_cast<int>(std::lround(units * Scale())); }
  void ClickAt(double x, double y) { Click(Px(x), Px(y)); }
  void DoubleClickAt(double x, double y) {
    ClickAt(x, y);
    ClickAt(x, y);
  }

  // The window's pixels over a rectangle in editor units.
  std::vector<unsigned long> Pixels(double left, double top, double right, double bottom) {
    const int x = Px(left), y = Px(top), w = Px(right) - x, h = Px(bottom) - y;
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display, EditorWindow(), x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) pixels.push_back(XGetPixel(image, i, j) & 0xFFFFFFul);
    XDestroyImage(image);
    return pixels;
  }

  // The "Type" selector's menu opens below it, one 20-unit row a type.
  void ChooseType(int type) {
    ClickAt(29, 78);
    Idle(40);
    ClickAt(30, 87 + 20 * type + 10);
    Idle(60);
  }

  void ChoosePluginMenuRow(int row) {
    ClickAt(19, 19);
    Idle(40);
    ClickAt(60, PluginMenuRowCentre(row));
    Idle(60);
  }

  // The in-editor message box: its caption bar across the top of a box
  // centred in the editor, an OK button at its bottom right.
  bool MessageBoxShowing() { return PixelAt(EditorWindow(), Px(460), Px(105)) == 0x3C3C46ul; }
  void AnswerMessageBox() {
    ClickAt(423, 230);
    Idle(60);
  }

  std::pair<int, int> Size(double scale) {
    return {static_cast<int>(std::lround(kEditorWidth * scale)),
            static_cast<int>(std::lround(kEditorHeight * scale))};
  }
  std::pair<int, int> LastSizeWindow() {
    const auto sizes = host.CallsOf(vst2::audioMasterSizeWindow);
    if (sizes.empty()) return {0, 0};
    return {sizes.back().index, static_cast<int>(sizes.back().value)};
  }
};

TEST_F(Kalvo5Host, ValueFieldTakesTypedTextAndTheTypeMenuSwitchesThePage) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(Rect(), Size(1.0));
  Idle(150);

  // "RMS Gain": a double click opens the text entry, Return takes the
  // number, which the host reads back and sees displayed to a tenth.
  DoubleClickAt(225, 78);
  Idle(60);
  TypeBackspaces();
  for (KeySym key : {XK_7, XK_period, XK_2, XK_6, XK_Return}) Type(key);
  Idle(60);
  EXPECT_NEAR(Get(kRMSGain), (7.26 + 60.0) / 120.0, 1e-6);
  EXPECT_EQ(Text(vst2::effGetParamDisplay, kRMSGain), "7.3");

  // The window field right of the settings row is on the RMS and DIAL pages,
  // not on the EBU page.
  auto windowField = [&] { return Pixels(449, 69, 529, 87); };
  const auto rmsPicture = windowField();
  ChooseType(kTypeEBU);
  EXPECT_EQ(Get(kType), 0.5f);
  const auto ebuPicture = windowField();
  EXPECT_NE(ebuPicture, rmsPicture);
  ChooseType(kTypeDIAL);
  EXPECT_EQ(Get(kType), 1.0f);
  EXPECT_NE(windowField(), ebuPicture);
  EXPECT_GE(Automations(kType), 2);
}

TEST_F(Kalvo5Host, PresetArrowsStepThroughTheFactoryPresetsAndADroppedFileLoads) {
  ASSERT_TRUE(Open());
  Idle(100);
  // The host's copy of the parameters: what it reads now and what the
  // plug-in tells it from here on. Every preset must keep it the plug-in's.
  std::vector<float> hostCopy;
  for (int i = 0; i < kNumParams; ++i) hostCopy.push_back(Get(i));
  const std::size_t told = host.CallsOf(vst2::audioMasterAutomate).size();
  const auto expectHostCopyIsThePlugins = [&](const char* after) {
    std::vector<float> copy = hostCopy;
    const auto calls = host.CallsOf(vst2::audioMasterAutomate);
    for (std::size_t n = told; n < calls.size(); ++n)
      copy[static_cast<std::size_t>(calls[n].index)] = calls[n].opt;
    for (int i = 0; i < kNumParams; ++i) {
      if (IsOutputParam(i)) continue;
      EXPECT_EQ(copy[static_cast<std::size_t>(i)], Get(i)) << after << ": parameter " << i;
    }
  };
  EXPECT_EQ(Text(vst2::effGetProgramName), "Init");
  ClickAt(435, 19);  // previous, at the first preset: nothing
  Idle(40);
  EXPECT_EQ(Text(vst2::effGetProgramName), "Init");

  ClickAt(463, 19);
  Idle(40);
  EXPECT_EQ(Text(vst2::effGetProgramName), "LUFS EBU R128");
  EXPECT_EQ(Get(kType), 0.5f);
  // Quick clicks arrive as double clicks, and step as well.
  for (int click = 2; click <= 21; ++click) {
    ClickAt(463, 19);
    Idle(20);
  }
  Idle(40);
  EXPECT_EQ(Text(vst2::effGetProgramName), "Netflix 2020 LKFS");
  EXPECT_EQ(Get(kType), 1.0f);
  ClickAt(435, 19);
  Idle(40);
  EXPECT_EQ(Text(vst2::effGetProgramName), "LK Dialog 3s");
  expectHostCopyIsThePlugins("the preset arrows");

  // A preset file dragged from a file manager onto the preset menu.
  const std::filesystem::path file = std::filesystem::path(Scratch()) / "Dropped preset.vrs";
  std::ofstream(file) << PresetDocument("From a file",
                                        "<Param name=\"Type\" val=\"1\" />\n"
                                        "<Param name=\"EBU RefLevel\" val=\"-31\" />\n");
  testsupport::XdndSource source(display, "file://" + std::string(Scratch()) + "/Dropped%20preset.vrs\r\n");
  const Window editor = EditorWindow();
  EXPECT_EQ(source.AwareVersion(editor), 5);
  source.EnterAt(editor, Px(300), Px(19));
  Idle(60, [&] { source.Serve(); });
  EXPECT_TRUE(source.Accepted("XdndStatus"));
  source.Drop(editor);
  IdleUntil(
      [&] {
        source.Serve();
        return source.Replied("XdndFinished");
      },
      2000);
  Idle(60);
  EXPECT_TRUE(source.Accepted("XdndFinished"));
  EXPECT_EQ(Text(vst2::effGetProgramName), "From a file");
  EXPECT_EQ(Get(kType), 0.5f);
  EXPECT_EQ(Text(vst2::effGetParamDisplay, kEBURefLevel), "-31.0");
  expectHostCopyIsThePlugins("a dropped preset file");
}

TEST_F(Kalvo5Host, PresetArrowsGoOnFromThePresetOfAReopenedEditorOrReloadedSession) {
  auto step = [&](double arrowX) {
    ClickAt(arrowX, 19);
    Idle(40);
  };
  ASSERT_TRUE(Open());
  Idle(100);
  for (int i = 0; i < 4; ++i) step(463);
  ASSERT_EQ(Text(vst2::effGetProgramName), "LU -16 (-16LUFS)");
  Dispatch(vst2::effEditClose);
  ASSERT_TRUE(Open());
  Idle(100);
  step(463);
  EXPECT_EQ(Text(vst2::effGetProgramName), "LU -14 (-14LUFS)");

  Dispatch(vst2::effEditClose);
  ReloadSession();
  ASSERT_TRUE(Open());
  Idle(100);
  step(435);
  EXPECT_EQ(Text(vst2::effGetProgramName), "LU -16 (-16LUFS)");
}

// Carla hides its window without closing the editor; other hosts close it.
// Either way a menu or text entry left open is gone when the editor shows
// again, and the host hears the end of the setting's gesture.
TEST_F(Kalvo5Host, HidingOrClosingTheEditorDismissesMenusAndTextEntry) {
  auto hideAndShow = [&] {
    XUnmapWindow(display, parent);
    XSync(display, False);
    XMapWindow(display, parent);
    XSync(display, False);
    Idle(100);
  };
  ASSERT_TRUE(Open());
  Idle(100);
  auto typeMenuArea = [&] { return Pixels(13, 87, 93, 147); };
  const auto withoutMenu = typeMenuArea();
  ClickAt(29, 78);
  Idle(60);
  ASSERT_NE(typeMenuArea(), withoutMenu);
  ASSERT_EQ(Calls(vst2::audioMasterBeginEdit, kType), 1);
  EXPECT_EQ(Calls(vst2::audioMasterEndEdit, kType), 0);
  hideAndShow();
  EXPECT_EQ(typeMenuArea(), withoutMenu);
  EXPECT_EQ(Calls(vst2::audioMasterEndEdit, kType), 1);

  // "RMS Gain"'s text entry takes no typing after the editor was hidden.
  const float gain = Get(kRMSGain);
  DoubleClickAt(225, 78);
  Idle(60);
  hideAndShow();
  for (KeySym key : {XK_7, XK_Return}) Type(key);
  Idle(60);
  EXPECT_EQ(Get(kRMSGain), gain);

  ClickAt(29, 78);
  Idle(60);
  ASSERT_NE(typeMenuArea(), withoutMenu);
  Dispatch(vst2::effEditClose);
  EXPECT_EQ(Calls(vst2::audioMasterEndEdit, kType), 2);
  EXPECT_EQ(Calls(vst2::audioMasterBeginEdit, kType), 2);
}

TEST_F(Kalvo5Host, CornerResizerScalesByDraggingAndTogglesByDoubleClicks) {
  ASSERT_TRUE(Open());
  Idle(100);
  // A double click on the corner square switches between 1.0 and 1.5.
  DoubleClickAt(608, 344);
  Idle(100);
  EXPECT_EQ(Rect(), Size(1.5));
  EXPECT_EQ(LastSizeWindow(), Size(1.5));
  DoubleClickAt(608, 344);
  Idle(100);
  EXPECT_EQ(Rect(), Size(1.0));
  EXPECT_EQ(LastSizeWindow(), Size(1.0));

  // A drag from inside the square to 1.5 times its position.
  MoveTo(608, 344);
  Button(true);
  Idle(40);
  MoveTo(912, 516);
  Idle(40);
  Button(false);
  Idle(100);
  EXPECT_EQ(LastSizeWindow(), Size(1.5));
  EXPECT_EQ(Rect(), Size(1.5));
  EXPECT_NEAR(Get(kGUIScale), (1.5 - 0.5) / 2.5, 1e-3);
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, EditorWindow(), &attributes);
  EXPECT_EQ(std::make_pair(attributes.width, attributes.height), Size(1.5));
}

TEST_F(Kalvo5Host, PluginMenuShowsAboutTogglesTooltipsAndFixesTheScale) {
  ASSERT_TRUE(Open());
  Idle(100);
  EXPECT_FALSE(MessageBoxShowing());
  ChoosePluginMenuRow(kRowAbout);
  EXPECT_TRUE(MessageBoxShowing());
  AnswerMessageBox();
  EXPECT_FALSE(MessageBoxShowing());

  EXPECT_EQ(Get(kToggleTooltips), 1.0f);
  ChoosePluginMenuRow(kRowTooltips);
  EXPECT_EQ(Get(kToggleTooltips), 0.0f);
  EXPECT_GE(Automations(kToggleTooltips), 1);
  ChoosePluginMenuRow(kRowTooltips);
  EXPECT_EQ(Get(kToggleTooltips), 1.0f);

  // "Fixed GUI scale" opens its submenu under the pointer; the keys choose
  // its fifth entry, "150%".
  ClickAt(19, 19);
  Idle(40);
  MoveTo(Px(60), Px(PluginMenuRowCentre(kRowFixedScale)));
  Idle(40);
  for (int i = 0; i < 5; ++i) Type(XK_Down);
  Type(XK_Return);
  Idle(100);
  EXPECT_EQ(Rect(), Size(1.5));
  EXPECT_EQ(LastSizeWindow(), Size(1.5));
  EXPECT_NEAR(Get(kGUIScale), (1.5 - 0.5) / 2.5, 1e-3);
}

TEST_F(Kalvo5Host, UpdateIndicatorLightsWhenTheServerOffersANewerVersion) {
  kalvo5::test::LoopbackHttpServer server(200, "99.0.0\n");
  setenv("KALVO5_UPDATE_SERVER", server.BaseAddress().c_str(), 1);
  ASSERT_TRUE(Open());
  Idle(100);
  auto indicator = [&] { return Pixels(601, 7, 613, 31); };
  const auto unlit = indicator();
  Idle(100);
  EXPECT_EQ(server.RequestCount(), 0);

  ChoosePluginMenuRow(kRowOnlineUpdateCheck);
  EXPECT_EQ(Get(kOnlineUpdateCheck), 1.0f);
  EXPECT_TRUE(IdleUntil([&] { return indicator() != unlit; }, 5000));
  EXPECT_EQ(server.RequestCount(), 1);
}

// The host closes the instance while the update server has sent part of its
// reply and stalls, then unloads the module: the close returns at once, and
// the module stays loaded for the transfer left behind to end in.
TEST_F(Kalvo5Host, ClosingDuringAStalledUpdateCheckNeitherWaitsNorBreaksTheUnload) {
  kalvo5::test::LoopbackHttpServer server(200, "99.0.0" + std::string(4000, ' '),
                                          kalvo5::test::LoopbackHttpServer::Behaviour::StallMidReply);
  setenv("KALVO5_UPDATE_SERVER", server.BaseAddress().c_str(), 1);
  ASSERT_TRUE(Open());
  Idle(50);
  ChoosePluginMenuRow(kRowOnlineUpdateCheck);
  ASSERT_TRUE(IdleUntil([&] { return server.RequestCount() == 1; }, 5000));
  Idle(300);
  Dispatch(vst2::effEditClose);
  const auto start = std::chrono::steady_clock::now();
  Dispatch(vst2::effClose);
  effect = nullptr;
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.05);
  EXPECT_EQ(dlclose(module), 0);
  module = nullptr;
  void* kept = dlopen(KALVO5_MODULE, RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(kept, nullptr);
  if (kept) dlclose(kept);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// The menu and the About box while another thread processes audio and
// automates settings that change what the editor shows.
TEST_F(Kalvo5Host, MenusAndAboutWhileAudioRuns) {
  std::atomic<bool> stop{false};
  std::thread audio([&] {
    std::vector<std::vector<float>> inputs(6, std::vector<float>(256)), outputs = inputs;
    for (std::size_t i = 0; i < 256; ++i)
      inputs[0][i] = inputs[1][i] = 0.5f * std::sin(0.13f * static_cast<float>(i));
    std::vector<float*> in, out;
    for (std::size_t c = 0; c < 6; ++c) {
      in.push_back(inputs[c].data());
      out.push_back(outputs[c].data());
    }
    for (int block = 0; !stop.load(); ++block) {
      effect->setParameter(effect, kRMSWFilterMode, static_cast<float>(block % 7) / 6.0f);
      effect->setParameter(effect, kEBUChannelConfig, static_cast<float>(block % 5) / 4.0f);
      effect->processReplacing(effect, in.data(), out.data(), 256);
    }
  });
  for (int cycle = 0; cycle < 2; ++cycle) {
    if (!Open()) {
      ADD_FAILURE() << "the editor did not open";
      break;
    }
    Idle(60);
    ChoosePluginMenuRow(kRowAbout);
    EXPECT_TRUE(MessageBoxShowing()) << cycle;
    AnswerMessageBox();
    ChooseType(kTypeDIAL);
    EXPECT_EQ(Get(kType), 1.0f);
    effect->setParameter(effect, kType, 0.0f);
    Idle(40);
    Dispatch(vst2::effEditClose);
  }
  stop = true;
  audio.join();
  XSync(display, False);
  EXPECT_EQ(EditorWindow(), 0u);
}

}  // namespace
}  // namespace editortest
