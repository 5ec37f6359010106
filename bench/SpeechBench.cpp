// Cost of the speech detector alone, fed 100 ms blocks of a mono downmix,
// per input sample and as a multiple of real time.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchSupport.h"
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
BENCHMARK(BM_DetectSpeech)->Arg(32000)->Arg(44100)->Arg(48000)->ArgName("rate");

}  // namespace
