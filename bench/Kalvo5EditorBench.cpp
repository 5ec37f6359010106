// Kalvo5's own editor off screen, with its artwork and fonts, while audio
// moves its meters: a frame as the idle tick makes it (meter columns and
// read-outs refreshed, the changed controls redrawn) and a full redraw, at
// draw scales 1 and 3 (KALVO5_BENCH_PNG=FILE keeps the last frame).
#include <cmath>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "editor/Kalvo5WithEditor.h"
#include "framework/igraphics/IGraphics.h"
#include "framework/iplug/Timer.h"
#include "module/Kalvo5VST2.h"

namespace kalvo5::bench {
namespace {

// 50 ms of stereo noise whose level changes from call to call.
class MovingAudio {
 public:
  explicit MovingAudio(Kalvo5& plugin) : mPlugin(plugin) {
    const int frames = static_cast<int>(plugin.GetSampleRate() / 20.0);
    for (auto& channel : mData) channel.assign(static_cast<std::size_t>(frames), 0.0);
    for (auto& channel : mOut) channel.assign(static_cast<std::size_t>(frames), 0.0);
    plugin.ConnectChannels(iplug::kInput, 0, 2, true);
    plugin.ConnectChannels(iplug::kOutput, 0, 2, true);
  }
  void Next() {
    const double gain = std::pow(10.0, -(mStep++ % 30) / 20.0);
    for (auto& channel : mData)
      for (double& x : channel) {
        mState = mState * 1664525u + 1013904223u;
        x = gain * (static_cast<double>(mState >> 8) / 8388608.0 - 1.0);
      }
    double* in[2] = {mData[0].data(), mData[1].data()};
    double* out[2] = {mOut[0].data(), mOut[1].data()};
    mPlugin.ProcessBuffers(in, out, static_cast<int>(mData[0].size()));
  }

 private:
  Kalvo5& mPlugin;
  std::vector<double> mData[2], mOut[2];
  unsigned mState = 1;
  int mStep = 0;
};

void Frame(benchmark::State& state, bool full) {
  iplug::MainThreadScope mainThread;
  Kalvo5VST2<Kalvo5WithEditor> plugin;
  if (!plugin.GetEditorSession().OpenOffscreen()) {
    state.SkipWithError("no editor");
    return;
  }
  igraphics::IGraphics& ui = *plugin.GetUI();
  ui.ResizeEditor(616, 352, static_cast<float>(state.range(0)) / 10.0f, false);
  MovingAudio audio(plugin);
  for (auto _ : state) {
    state.PauseTiming();
    audio.Next();
    state.ResumeTiming();
    plugin.RefreshMeters();
    plugin.RefreshReadouts();
    if (full) ui.ForAllControls([](igraphics::IControl& control) { control.MarkDirty(false); });
    benchmark::DoNotOptimize(ui.Draw());
  }
  if (const char* png = std::getenv("KALVO5_BENCH_PNG")) ui.WritePng(png);
  plugin.GetEditorSession().Close();
}

void Kalvo5EditorFrameMetersMoving(benchmark::State& state) { Frame(state, false); }
void Kalvo5EditorFullRedraw(benchmark::State& state) { Frame(state, true); }

BENCHMARK(Kalvo5EditorFrameMetersMoving)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(Kalvo5EditorFullRedraw)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvo5::bench
