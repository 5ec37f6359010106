// Fakes for driving the editor framework without pixels or a host: a surface
// that records what is drawn, an image of a given size, and a delegate that
// records what the controls report.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/igraphics/IControl.h"
#include "framework/igraphics/IGEditorDelegate.h"
#include "framework/igraphics/IGraphics.h"

namespace editortest {

class FakeImage : public graphics::Image {
 public:
  FakeImage(int w, int h, int scale) : mW(w), mH(h), mScale(scale) {}
  int WidthPixels() const override { return mW; }
  int HeightPixels() const override { return mH; }
  int Scale() const override { return mScale; }

 private:
  int mW, mH, mScale;
};

struct DrawnImage {
  graphics::RectF dst;
  float srcX, srcY, weight;
};

class RecordingSurface : public graphics::Surface {
 public:
  void SetScale(double scale) override { scaleSet = scale; }
  double GetScale() const override { return scaleSet; }
  void PushClip(const graphics::RectF&) override {}
  void PopClip() override {}
  void BeginPath() override {}
  void MoveTo(float, float) override {}
  void LineTo(float, float) override {}
  void Arc(float, float, float, float, float) override {}
  void ClosePath() override {}
  void Rectangle(const graphics::RectF&) override {}
  void RoundedRectangle(const graphics::RectF&, const float (&)[4]) override {}
  void Ellipse(float, float, float, float, float) override {}
  void Fill(const graphics::Rgba&, float) override { ++fills; }
  void Stroke(const graphics::Rgba&, float, float, bool) override { ++strokes; }
  void DrawImage(const graphics::Image&, const graphics::RectF& dst, float srcX, float srcY,
                 float weight) override {
    images.push_back({dst, srcX, srcY, weight});
  }
  void DrawImageFitted(const graphics::Image&, const graphics::RectF&, float) override {}
  void DrawImageRotated(const graphics::Image&, float, float, float, float) override {}
  void DrawText(const graphics::TextFormat&, const std::string& text, const graphics::RectF& box) override {
    texts.push_back(text);
    textBoxes.push_back(box);
  }
  // Every character 7 units wide.
  graphics::RectF MeasureText(const graphics::TextFormat& format, const std::string& text) override {
    return {0.0f, 0.0f, 7.0f * static_cast<float>(text.size()), format.size};
  }
  void ResizePixels(int w, int h) override {
    width = w;
    height = h;
  }
  int WidthPixels() const override { return width; }
  int HeightPixels() const override { return height; }
  const std::uint32_t* Pixels() const override { return nullptr; }
  int StrideBytes() const override { return width * 4; }
  void Clear() override {
    ++clears;
    images.clear();
    texts.clear();
    textBoxes.clear();
  }
  bool WritePng(const std::string&) const override { return false; }

  double scaleSet = 1.0;
  int width = 0, height = 0;
  int clears = 0, fills = 0, strokes = 0;
  std::vector<DrawnImage> images;
  std::vector<std::string> texts;
  std::vector<graphics::RectF> textBoxes;  // where each of `texts` went
};

class TestDelegate : public igraphics::IGEditorDelegate {
 public:
  explicit TestDelegate(int nParams = 4) : igraphics::IGEditorDelegate(nParams) {
    SetSizeConstraints(205, 1848, 117, 1056);
  }
  void SetParamFromEditor(int index, double normalized) override {
    if (auto* param = GetParam(index)) param->SetNormalizedValue(normalized);
    sent.emplace_back(index, normalized);
  }
  void BeginParamGesture(int index) override { gestures.push_back("begin " + std::to_string(index)); }
  void EndParamGesture(int index) override { gestures.push_back("end " + std::to_string(index)); }
  bool RequestEditorSize(int width, int height) override {
    requested.emplace_back(width, height);
    return true;
  }

  std::vector<std::pair<int, double>> sent;
  std::vector<std::string> gestures;
  std::vector<std::pair<int, int>> requested;
};

// A control that records the events it gets.
class ProbeControl : public igraphics::IControl {
 public:
  explicit ProbeControl(const igraphics::Rect& r, int paramIdx = igraphics::kNoParameter)
      : igraphics::IControl(r, paramIdx) {}
  void Draw(igraphics::IGraphics&) override { ++draws; }
  void OnMouseDown(float x, float y, const igraphics::MouseMods& mods) override {
    events.push_back("down");
    igraphics::IControl::OnMouseDown(x, y, mods);
  }
  void OnMouseUp(float, float, const igraphics::MouseMods&) override { events.push_back("up"); }
  void OnMouseDrag(float, float, float, float, const igraphics::MouseMods&) override {
    events.push_back("drag");
  }
  void OnMouseWheel(float, float, const igraphics::MouseMods&, float d) override {
    events.push_back("wheel " + std::to_string(static_cast<int>(d)));
  }
  void OnDrop(const char* path) override { events.push_back(std::string("drop ") + path); }
  void OnInit() override { events.push_back("init"); }
  void OnResized() override { events.push_back("resized"); }
  void OnScaleChanged() override { events.push_back("scale"); }
  void OnAttached() override { events.push_back("attached"); }
  bool OnControlKeyDown(float, float, const igraphics::KeyPress& key) override {
    events.push_back("key " + std::to_string(key.vk));
    return usesKeys;
  }

  std::vector<std::string> events;
  int draws = 0;
  bool usesKeys = false;
};

// An editor of 616 x 352 units at scale 1 drawing on a recording surface.
struct Editor {
  explicit Editor(float scale = 1.0f) {
    auto owned = std::make_unique<RecordingSurface>();
    surface = owned.get();
    ui = std::make_unique<igraphics::IGraphics>(delegate, 616, 352, 60, scale, std::move(owned));
  }
  TestDelegate delegate;
  RecordingSurface* surface = nullptr;
  std::unique_ptr<igraphics::IGraphics> ui;
};

inline igraphics::MouseMods Left() {
  igraphics::MouseMods mods;
  mods.L = true;
  return mods;
}

inline igraphics::MouseMods Right() {
  igraphics::MouseMods mods;
  mods.R = true;
  return mods;
}

inline igraphics::KeyPress Key(int vk, const char* text = "", bool shift = false, bool control = false) {
  igraphics::KeyPress key;
  key.vk = vk;
  for (int i = 0; text[i] && i < 4; ++i) key.utf8[i] = text[i];
  key.shift = shift;
  key.control = control;
  return key;
}

}  // namespace editortest
