// What the editor asks of the back end: bitmaps by scale from resources,
// fonts, and a native window whose events drive the controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "EditorTestSupport.h"
#include "framework/igraphics/Backend.h"
#include "framework/igraphics/IGraphicsKeys.h"

using namespace igraphics;
using namespace editortest;

namespace {

const unsigned char kBytes[] = {1, 2, 3};

// A resource table holding the named files, and the scales decoded.
struct FakeResources {
  std::vector<std::string> names;
  std::vector<std::string> looked;
  std::vector<int> resampledTo;
  graphics::Resource found{"", kBytes, sizeof kBytes};

  void Install() {
    ClearBitmapCache();
    Backend backend;
    backend.findResource = [this](std::string_view name) -> const graphics::Resource* {
      std::string lower(name);
      std::transform(lower.begin(), lower.end(), lower.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      looked.push_back(lower);
      return std::find(names.begin(), names.end(), lower) != names.end() ? &found : nullptr;
    };
    backend.decodePng = [](const unsigned char*, std::size_t, int scale) {
      return std::make_shared<FakeImage>(100 * scale, 50 * scale, scale);
    };
    backend.resampleImage = [this](const graphics::Image& image, int scale) {
      resampledTo.push_back(scale);
      return std::make_shared<FakeImage>(image.WidthPixels() * scale / image.Scale(),
                                         image.HeightPixels() * scale / image.Scale(), scale);
    };
    SetBackend(std::move(backend));
  }
  ~FakeResources() {
    SetBackend({});
    ClearBitmapCache();
  }
};

}  // namespace

TEST(BitmapLoading, ScaleSearchOrderAndNames) {
  EXPECT_EQ(BitmapScaleSearchOrder(1), (std::vector<int>{1, 3, 2}));
  EXPECT_EQ(BitmapScaleSearchOrder(2), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(BitmapScaleSearchOrder(3), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(ScaledResourceName("background0.png", 2), "background0@2x.png");
  EXPECT_EQ(ScaledResourceName("background0.png", 1), "background0.png");
  EXPECT_EQ(ScaledResourceName("dir.v2/knob", 3), "dir.v2/knob@3x");
}

TEST(BitmapLoading, ImageStoredOnlyAtScaleTwoServesEveryScale) {
  FakeResources resources;
  resources.names = {"background0@2x.png"};
  resources.Install();
  Editor editor;

  Bitmap one = editor.ui->LoadBitmapResource("BACKGROUND0.PNG", 1, false, 1);
  ASSERT_TRUE(one.IsValid());
  EXPECT_EQ(resources.looked,
            (std::vector<std::string>{"background0.png", "background0@3x.png", "background0@2x.png"}));
  EXPECT_EQ(one.W, 100);
  EXPECT_EQ(one.H, 50);
  EXPECT_EQ(one.image->Scale(), 1);

  resources.looked.clear();
  Bitmap three = editor.ui->LoadBitmapResource("background0.png", 3, true, 3);
  ASSERT_TRUE(three.IsValid());
  EXPECT_EQ(resources.looked, (std::vector<std::string>{"background0@3x.png", "background0@2x.png"}));
  EXPECT_EQ(three.W, 100);
  EXPECT_EQ(three.frames, 3);
  EXPECT_TRUE(three.framesHorizontal);

  Bitmap two = editor.ui->LoadBitmapResource("background0.png", 1, false, 2);
  ASSERT_TRUE(two.IsValid());
  EXPECT_EQ(resources.resampledTo, (std::vector<int>{1, 3}));  // scale 2 needed no resampling

  // Cached by name and scale: no second search.
  resources.looked.clear();
  EXPECT_TRUE(editor.ui->LoadBitmapResource("Background0.png", 1, false, 1).IsValid());
  EXPECT_TRUE(resources.looked.empty());
  // Target 0 means the screen scale rounded up.
  editor.ui->SetScreenScale(1.25);
  EXPECT_EQ(editor.ui->LoadBitmapResource("background0.png").scale, 2);

  EXPECT_FALSE(editor.ui->LoadBitmapResource("missing.png").IsValid());
}

TEST(FontLoading, RegistersFromAResourceOnce) {
  std::vector<std::string> registered;
  Backend backend;
  static const graphics::Resource font{"Roboto-Regular.ttf", kBytes, sizeof kBytes};
  backend.findResource = [](std::string_view name) { return name == "Roboto-Regular.ttf" ? &font : nullptr; };
  backend.registerFont = [&](const std::string& id, const unsigned char*, std::size_t) {
    registered.push_back(id);
    return true;
  };
  backend.fontRegistered = [&](const std::string& id) {
    return std::find(registered.begin(), registered.end(), id) != registered.end();
  };
  SetBackend(backend);
  Editor editor;
  EXPECT_TRUE(editor.ui->LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf"));
  EXPECT_TRUE(editor.ui->LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf"));
  EXPECT_EQ(registered.size(), 1u);
  EXPECT_FALSE(editor.ui->LoadFontResource("Verdana", "/nonexistent/verdana.ttf"));
  SetBackend({});
}

namespace {

class FakeWindow : public graphics::Window {
 public:
  std::uintptr_t Id() const override { return 42; }
  void Resize(int w, int h) override { sizes.emplace_back(w, h); }
  void Present(const std::uint32_t*, int, int, int) override { ++presents; }
  std::vector<graphics::WindowEvent> TakeEvents() override { return std::exchange(pending, {}); }
  void SetCursor(int shape) override { cursor = shape; }
  void HideCursor(bool) override {}
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string GetClipboardText() override { return clipboard; }
  double ScreenScale() const override { return screenScale; }

  std::vector<graphics::WindowEvent> pending;
  std::vector<std::pair<int, int>> sizes;
  int presents = 0;
  int cursor = -1;
  std::string clipboard;
  double screenScale = 2.0;
};

graphics::WindowEvent Event(graphics::WindowEvent::Kind kind, float x, float y) {
  graphics::WindowEvent event;
  event.kind = kind;
  event.x = x;
  event.y = y;
  return event;
}

}  // namespace

TEST(EditorWindowEvents, PixelsBecomeEditorUnitsAndReachTheControls) {
  FakeWindow* window = nullptr;
  Backend backend;
  backend.openChildWindow = [&](std::uintptr_t parent, int, int, std::string&) {
    EXPECT_EQ(parent, 7u);
    auto owned = std::make_unique<FakeWindow>();
    window = owned.get();
    return std::unique_ptr<graphics::Window>(std::move(owned));
  };
  SetBackend(backend);
  Editor editor(1.5f);
  editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{0, 0, 616, 352}));  // the background
  ProbeControl* probe = editor.ui->AttachControl(std::make_unique<ProbeControl>(Rect{100, 100, 200, 200}));
  ASSERT_TRUE(editor.ui->OpenWindow(7));
  ASSERT_NE(window, nullptr);
  EXPECT_DOUBLE_EQ(editor.ui->GetScreenScale(), 2.0);  // learnt from the window
  EXPECT_EQ(editor.surface->width, 1848);
  EXPECT_EQ(window->presents, 1);

  using Kind = graphics::WindowEvent::Kind;
  // Total scale 3: pixel (450, 450) is unit (150, 150).
  auto down = Event(Kind::MouseDown, 450, 450);
  down.left = true;
  auto drag = Event(Kind::MouseMove, 480, 450);
  drag.left = true;
  auto drop = Event(Kind::Drop, 330, 330);
  drop.paths = {"/tmp/a.vrs", "/tmp/b.vrs"};
  auto key = Event(Kind::KeyDown, 0, 0);
  key.keysym = 0xFF0D;  // Return
  window->pending = {down, drag, Event(Kind::MouseUp, 480, 450), drop, key, Event(Kind::Wheel, 450, 450)};
  window->pending.back().notches = 1;
  EXPECT_FALSE(editor.ui->OnIdle());  // nothing became dirty: no drawing
  EXPECT_EQ(probe->events, (std::vector<std::string>{"init", "resized", "scale", "attached", "scale", "down",
                                                     "drag", "up", "drop /tmp/a.vrs", "key 13", "wheel 1"}));
  EXPECT_EQ(window->presents, 1);
  probe->SetValueFromPlugin(0.5);
  EXPECT_TRUE(editor.ui->OnIdle());
  EXPECT_EQ(window->presents, 2);

  editor.ui->SetClipboardText("copied");
  EXPECT_EQ(window->clipboard, "copied");
  EXPECT_EQ(editor.ui->SetMouseCursor(kCursorHand), kCursorArrow);
  EXPECT_EQ(window->cursor, kCursorHand);
  editor.ui->CloseWindow();
  SetBackend({});
}

TEST(EditorWindowEvents, KeysymsBecomeWindowsKeyCodes) {
  EXPECT_EQ(VirtualKeyForKeysym('a'), 'A');
  EXPECT_EQ(VirtualKeyForKeysym('7'), '7');
  EXPECT_EQ(VirtualKeyForKeysym(0xFF08), vk::kBack);
  EXPECT_EQ(VirtualKeyForKeysym(0xFF1B), vk::kEscape);
  EXPECT_EQ(VirtualKeyForKeysym(0xFF55), vk::kPrior);
  EXPECT_EQ(VirtualKeyForKeysym(0xFFB4), vk::kNumpad0 + 4);
  EXPECT_EQ(VirtualKeyForKeysym(0xFFAE), vk::kDecimal);
  EXPECT_EQ(VirtualKeyForKeysym('-'), 0xBD);
  const KeyPress ctrlA = MakeKeyPressFromKeysym('a', "\x01", false, true, false);
  EXPECT_EQ(ctrlA.vk, 'A');
  EXPECT_STREQ(ctrlA.utf8, "");  // a control character is no text
  EXPECT_TRUE(ctrlA.control);
}
