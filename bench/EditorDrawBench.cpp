// One full redraw of an editor the size of the plug-in's (616 x 352 units)
// through the real drawing back end, off screen: a background, six meter
// columns, twenty read-out fields with text, at draw scales 1 and 3
// (KALVO5_BENCH_PNG=FILE keeps the last frame as a picture).
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "framework/igraphics/Backend.h"
#include "framework/igraphics/IGEditorDelegate.h"
#include "framework/igraphics/IGraphics.h"
#include "framework/igraphics/ITextControl.h"
#include "graphics/FontResources.h"

namespace kalvo5::bench {
namespace {

using namespace igraphics;

// A meter column: a dark trough and a lit bar of changing height.
class Bar : public IControl {
 public:
  explicit Bar(const Rect& bounds) : IControl(bounds) {}
  void Draw(IGraphics& g) override {
    const Rect& r = GetRect();
    g.FillRect(Color{255, 20, 20, 20}, r);
    const float top = r.B - static_cast<float>(GetValue()) * r.H();
    g.FillRect(Color{255, 40, 200, 80}, Rect{r.L, top, r.R, r.B});
  }
};

void FullEditorRedraw(benchmark::State& state) {
  InstallGraphicsBackend();
  graphics::RegisterFontResources();
  const float scale = static_cast<float>(state.range(0)) / 10.0f;
  IGEditorDelegate delegate(1);
  IGraphics ui(delegate, 616, 352, 60, 1.0f, GetBackend().createImageSurface(616, 352));
  if (!ui.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf")) {
    state.SkipWithError("no font");
    return;
  }
  ui.AttachControl(
      std::make_unique<ITextControl>(Rect{0, 0, 616, 352}, "", TextStyle{}, Color{255, 30, 32, 36}));
  std::vector<IControl*> bars;
  for (int c = 0; c < 6; ++c) {
    const float left = 420.0f + 28.0f * static_cast<float>(c);
    bars.push_back(ui.AttachControl(std::make_unique<Bar>(Rect{left, 112, left + 20, 328})));
  }
  TextStyle text;
  text.color = Color{255, 230, 230, 230};
  for (int i = 0; i < 20; ++i) {
    const float left = 10.0f + 100.0f * static_cast<float>(i % 4);
    const float top = 60.0f + 50.0f * static_cast<float>(i / 4);
    ui.AttachControl(std::make_unique<ITextControl>(Rect{left, top, left + 90, top + 30}, "-23.0 LUFS", text,
                                                    Color{255, 50, 54, 60}));
  }
  ui.ResizeEditor(616, 352, scale, false);
  int frame = 0;
  for (auto _ : state) {
    for (IControl* bar : bars) bar->SetValueFromUser(0.3 + 0.05 * (++frame % 10), 0);
    ui.ForAllControls([](IControl& control) { control.MarkDirty(false); });
    benchmark::DoNotOptimize(ui.Draw());
  }
  if (std::getenv("KALVO5_BENCH_PNG")) ui.WritePng(std::getenv("KALVO5_BENCH_PNG"));
  state.counters["pixels"] =
      static_cast<double>(ui.GetSurface()->WidthPixels() * ui.GetSurface()->HeightPixels());
  SetBackend({});
}

BENCHMARK(FullEditorRedraw)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvo5::bench
