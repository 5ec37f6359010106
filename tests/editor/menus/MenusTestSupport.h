// A Kalvo5 with the editor's menu controls laid out in an off-screen editor,
// its host notifications and opened addresses recorded, and a private data
// folder per test.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editor/menus/EditorTags.h"
#include "editor/menus/IBPresetMenuNewVt.h"
#include "editor/menus/IBUpdateControlVt.h"
#include "editor/menus/ISBCornerResizerControlVt.h"
#include "editor/menus/ISBInfoMenuVt.h"
#include "editor/menus/PluginMenuTable.h"
#include "framework/igraphics/EditorBinding.h"
#include "framework/igraphics/IPopupMenuControl.h"
#include "igraphics/EditorTestSupport.h"
#include "plugin/Kalvo5.h"
#include "support/ScratchFolder.h"

namespace kalvo5::menutest {

using igraphics::Bitmap;
using igraphics::IGraphics;
using igraphics::PopupMenu;
using igraphics::Rect;

// Artwork of `frames` frames of w x h units, stored at twice the size;
// an empty bitmap (as when the image is missing) without artwork.
inline Bitmap Artwork(bool present, int w, int h, int frames) {
  Bitmap bitmap;
  if (!present) return bitmap;
  bitmap.image = std::make_shared<editortest::FakeImage>(2 * w, 2 * h * frames, 2);
  bitmap.W = w;
  bitmap.H = h * frames;
  bitmap.frames = frames;
  bitmap.scale = 2;
  return bitmap;
}

class MenuTestPlugin : public igraphics::EditorBinding<Kalvo5> {
 public:
  explicit MenuTestPlugin(bool artwork) : iplug::IPlug(Kalvo5Config()) {
    GetEditorSession().SetFactory([this] {
      return std::make_unique<IGraphics>(*this, 616, 352, kFrameRate, 1.0f,
                                         std::make_unique<editortest::RecordingSurface>());
    });
    GetEditorSession().SetLayout([this, artwork](IGraphics& g) { Layout(g, artwork); });
  }

  void SendParamToHost(int index, double normalized) override { hostHeard.emplace_back(index, normalized); }
  void NotifyHostDisplayChanged() override { ++displayChanges; }

  template <class T>
  T* Control(int tag) const {
    IGraphics* g = GetUI();
    return g ? dynamic_cast<T*>(g->ControlWithTag(tag)) : nullptr;
  }
  IBUpdateControlVt* UpdateIndicator() const {
    IGraphics* g = GetUI();
    return g ? dynamic_cast<IBUpdateControlVt*>(g->ControlAt(mUpdateIconIdx)) : nullptr;
  }

  std::vector<std::pair<int, double>> hostHeard;
  int mUpdateIconIdx = -1;
  int displayChanges = 0;

 private:
  void Layout(IGraphics& g, bool artwork) {
    g.AddPopupMenuHost(igraphics::TextStyle{});
    g.SetCornerResizer(
        std::make_unique<ISBCornerResizerControlVt>(*this, Rect{0, 0, 616, 352}, Artwork(artwork, 16, 16, 2),
                                                    kCmdTakeEditorScale, kCmdToggleEditorScale),
        igraphics::ResizeMode::Scale);
    g.AttachControl(
        std::make_unique<ISBInfoMenuVt>(*this, 7.0f, 7.0f, Artwork(artwork, 24, 24, 2),
                                        MakePluginMenuEntries(*this, MakePluginMenuAddresses(DataFolder()))),
        kTagPluginMenu);
    const PresetMenuArea area{{235, 7, 475, 31},          {235, 7, 419, 31}, {239, 7, 397, 31},
                              {423, 7, 447, 31},          {451, 7, 475, 31}, Artwork(artwork, 24, 24, 2),
                              Artwork(artwork, 24, 24, 2)};
    g.AttachControl(
        std::make_unique<IBPresetMenuNewVt>(
            *this, area, igraphics::TextStyle{},
            std::vector<std::string>(std::begin(PresetCategoryNames), std::end(PresetCategoryNames)),
            PresetMenuCommands{}, Presets(), DataFolder(), "vrs", 19),
        kTagPresetMenu);
    g.AttachControl(std::make_unique<IBUpdateControlVt>(*this, 601.0f, 7.0f, Artwork(artwork, 12, 24, 2),
                                                        kCmdCheckUpdate));
    mUpdateIconIdx = g.ControlCount() - 1;
  }
};

// One plug-in per test with its own data folder and an open editor; the
// test runs as the host's GUI thread.
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(true); }

  void Open(bool artwork) {
    ASSERT_FALSE(dataHome.Path().empty());
    setenv("XDG_DATA_HOME", dataHome.Path().c_str(), 1);
    plugin = std::make_unique<MenuTestPlugin>(artwork);
    ASSERT_TRUE(plugin->GetEditorSession().OpenOffscreen());
    igraphics::PlatformServices services;
    services.openAddress = [this](const std::string& address) {
      opened.push_back(address);
      return true;
    };
    services.internetConnected = [] { return true; };
    services.promptForFile = [this](const std::string&, const std::string& folder,
                                    igraphics::FileAction action, const std::string& extensions,
                                    std::function<void(const std::string&)> done) {
      promptedFolder = folder;
      promptedAction = action;
      promptedExtensions = extensions;
      pendingPrompt = std::move(done);
      return true;
    };
    ui()->SetPlatformServices(services);
  }

  IGraphics* ui() const { return plugin->GetUI(); }
  ISBInfoMenuVt& pluginMenu() const { return Present(plugin->Control<ISBInfoMenuVt>(kTagPluginMenu)); }
  IBPresetMenuNewVt& presetMenu() const {
    return Present(plugin->Control<IBPresetMenuNewVt>(kTagPresetMenu));
  }
  template <class T>
  static T& Present(T* control) {
    if (!control) std::abort();  // the layout above always makes it
    return *control;
  }
  double Value(int index) const { return plugin->GetParam(index)->GetValue(); }
  void Set(int index, double value) {
    plugin->SetParamFromEditor(index, plugin->GetParam(index)->NormalizedFromValue(value));
  }

  void Click(float x, float y) {
    ui()->OnMouseDown(x, y, editortest::Left());
    ui()->OnMouseUp(x, y, editortest::Left());
    WaitForUserPresets();
  }
  // Runs editor idles, as the host's idle calls do, while the preset menu
  // waits for the user presets a thread of the plug-in reads (ten seconds
  // at most).
  void WaitForUserPresets() {
    const auto start = std::chrono::steady_clock::now();
    while (ui() && presetMenu().IsAnimating() &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
      ui()->OnIdle();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  // The menu the editor shows.
  const PopupMenu& Shown() const {
    const PopupMenu* menu = ui()->GetPopupMenuHost()->GetMenu();
    EXPECT_NE(menu, nullptr);
    static const PopupMenu none;
    return menu ? *menu : none;
  }
  // Chooses an item of the shown menu, or of the submenu that its item
  // `submenuAt` opens, as a click in the menu does.
  void Choose(int item, int submenuAt = -1) {
    igraphics::IPopupMenuControl* host = ui()->GetPopupMenuHost();
    ASSERT_TRUE(host->IsShowing());
    PopupMenu copy(*host->GetMenu());
    host->Dismiss();
    PopupMenu* target = submenuAt >= 0 ? copy.GetItem(submenuAt)->Submenu() : &copy;
    ASSERT_NE(target, nullptr);
    target->SetChosenItemIdx(item);
    ui()->DeliverMenuResult(target);
  }
  // Closes the shown menu without a choice.
  void Dismiss() {
    ui()->GetPopupMenuHost()->Dismiss();
    ui()->DeliverMenuResult(nullptr);
  }
  // Answers the file dialog that is open.
  void AnswerPrompt(const std::string& path) {
    ASSERT_TRUE(pendingPrompt);
    auto done = std::move(pendingPrompt);
    pendingPrompt = nullptr;
    done(path);
  }

  iplug::MainThreadScope mainThread;
  testsupport::ScratchFolder dataHome{"kalvo5-menus"};
  std::unique_ptr<MenuTestPlugin> plugin;
  std::vector<std::string> opened;
  std::function<void(const std::string&)> pendingPrompt;
  std::string promptedFolder, promptedExtensions;
  igraphics::FileAction promptedAction = igraphics::FileAction::Open;
};

}  // namespace kalvo5::menutest
