// Cost of the speech detector alone, fed 100 ms blocks of a mono downmix,
// and of the whole DIAL analyzer on stereo programme, per input sample (per
// frame of two channels for the analyzer) and as a multiple of real time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "engine/DIALAnalyzer.h"
#include "engine/SpeechDetector.h"

namespace {

// Seconds of audio per second of processing ("audio_s=1000/s" is 1000 times
// real time), beside the time per sample.
void SetRealTime(benchmark::State& state, std::size_t samplesPerIteration, double rate) {
  kalvo5::bench::SetPerSample(state, samplesPerIteration);
  const double seconds =
      static_cast<double>(state.iterations()) * static_cast<double>(samplesPerIteration) / rate;
  state.counters["audio_s"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}

void BM_DetectSpeech(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const int block = rate / 10;
  const std::size_t samples = static_cast<std::size_t>(rate) * 4;
  const std::vector<double> material = kalvo5::bench::Material(samples);
  const std::vector<float> x(material.begin(), material.end());
  auto detector = std::make_unique<kalvo5::SpeechDetector>();
  kalvo5::InitSpeechDetector(*detector, rate, block);
  for (auto _ : state) {
    int decision = 0;
    for (std::size_t pos = 0; pos < samples; pos += static_cast<std::size_t>(block))
      decision += kalvo5::DetectSpeech(*detector, x.data() + pos, block);
    benchmark::DoNotOptimize(decision);
  }
  SetRealTime(state, samples, rate);
}
BENCHMARK(BM_DetectSpeech)
    ->Arg(22050)
    ->Arg(32000)
    ->Arg(44100)
    ->Arg(48000)
    ->Arg(96000)
    ->Arg(192000)
    ->ArgName("rate");

// Block-wise in 512-frame blocks, as the block driver calls it: meters with
// true peak and the measurement, on "2.0" with the default 10 s window.
void BM_DIALStereo(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const std::size_t frames = static_cast<std::size_t>(rate) * 4;
  const std::vector<double> left = kalvo5::bench::Material(frames, 1);
  const std::vector<double> right = kalvo5::bench::Material(frames, 2);
  auto analyzer = std::make_unique<kalvo5::DIALAnalyzer>();
  kalvo5::InitDIAL(*analyzer, rate, 10000.0);
  constexpr std::size_t kBlock = 512;
  for (auto _ : state) {
    for (std::size_t n = 0; n < frames; n += kBlock) {
      const double* x[] = {left.data() + n, right.data() + n};
      kalvo5::ProcessDIALBlock(*analyzer, kalvo5::LoudnessChannelConfig::Stereo, true, true, x,
                               static_cast<int>(std::min(kBlock, frames - n)));
    }
    benchmark::DoNotOptimize(analyzer->gate.totalBlocks);
  }
  SetRealTime(state, frames, rate);
}
BENCHMARK(BM_DIALStereo)->Arg(44100)->Arg(48000)->ArgName("rate");

}  // namespace
