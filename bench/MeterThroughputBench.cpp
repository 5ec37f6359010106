// The meter command measuring a long 5.1 file with Kalvo5.so (EBU, true peak
// on), beside libebur128 measuring the same file with the same readings
// (integrated, momentary, short-term, range, true peak), in the same run.
// Both read the file through libsndfile. "realtime_x" is audio seconds per
// second of wall time. The file is KALVO5_THROUGHPUT_SECONDS long (default
// 60; 600 gives the 10-minute figure).
#include <ebur128.h>
#include <sndfile.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "tools/MeterCommand.h"

namespace kalvo5::bench {
namespace {

constexpr int kRate = 48000;
constexpr int kChannels = 6;

int FileSeconds() {
  const char* text = std::getenv("KALVO5_THROUGHPUT_SECONDS");
  const int seconds = text ? std::atoi(text) : 0;
  return seconds > 0 ? seconds : 60;
}

// A 16-bit 5.1 WAV file of programme-like noise, written once per run into a
// folder that is removed at exit.
struct TemporaryFolder {
  TemporaryFolder() {
    path = (std::filesystem::temp_directory_path() / "kalvo5-throughput-XXXXXX").string();
    if (!mkdtemp(path.data())) path.clear();
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

const std::string& ThroughputFile() {
  static const TemporaryFolder folder;
  static const std::string path = [] {
    if (folder.path.empty()) return std::string();
    const std::string file = folder.path + "/programme51.wav";
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = kChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!out) return std::string();
    const std::size_t chunk = kRate;
    std::vector<std::vector<double>> sources;
    for (int c = 0; c < kChannels; ++c) sources.push_back(Material(chunk * 7, static_cast<unsigned>(c + 1)));
    std::vector<double> frames(chunk * kChannels);
    for (int second = 0; second < FileSeconds(); ++second) {
      for (std::size_t n = 0; n < chunk; ++n) {
        for (std::size_t c = 0; c < kChannels; ++c)
          frames[n * kChannels + c] = sources[c][(static_cast<std::size_t>(second) % 7) * chunk + n];
      }
      sf_writef_double(out, frames.data(), static_cast<sf_count_t>(chunk));
    }
    sf_close(out);
    return file;
  }();
  return path;
}

void SetRealtimeFactor(benchmark::State& state) {
  state.counters["realtime_x"] = benchmark::Counter(static_cast<double>(state.iterations()) * FileSeconds(),
                                                    benchmark::Counter::kIsRate);
}

void MeterCommandOnFile(benchmark::State& state) {
  const std::string& file = ThroughputFile();
  const char* argv[] = {"kalvo5-meter", "--plugin",      KALVO5_MODULE, "--type",
                        "EBU",          "--no-progress", file.c_str()};
  for (auto _ : state) {
    std::ostringstream out, err;
    if (meter::MeterMain(7, argv, out, err, nullptr) != meter::kExitOk)
      state.SkipWithError(err.str().c_str());
  }
  SetRealtimeFactor(state);
}

void Libebur128OnFile(benchmark::State& state) {
  const std::string& file = ThroughputFile();
  for (auto _ : state) {
    SF_INFO info{};
    SNDFILE* in = sf_open(file.c_str(), SFM_READ, &info);
    ebur128_state* meter = ebur128_init(
        static_cast<unsigned>(info.channels), static_cast<unsigned long>(info.samplerate),
        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_M | EBUR128_MODE_S | EBUR128_MODE_TRUE_PEAK);
    const int roles[kChannels] = {EBUR128_LEFT,   EBUR128_RIGHT,         EBUR128_CENTER,
                                  EBUR128_UNUSED, EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND};
    for (unsigned c = 0; c < kChannels; ++c) ebur128_set_channel(meter, c, roles[c]);
    std::vector<double> frames(512 * kChannels);
    sf_count_t read = 0;
    while ((read = sf_readf_double(in, frames.data(), 512)) > 0)
      ebur128_add_frames_double(meter, frames.data(), static_cast<std::size_t>(read));
    double loudness = 0.0, range = 0.0, peak = 0.0, peakMax = 0.0;
    ebur128_loudness_global(meter, &loudness);
    ebur128_loudness_range(meter, &range);
    for (unsigned c = 0; c < kChannels; ++c) {
      ebur128_true_peak(meter, c, &peak);
      peakMax = std::max(peakMax, peak);
    }
    benchmark::DoNotOptimize(loudness + range + peakMax);
    ebur128_destroy(&meter);
    sf_close(in);
  }
  SetRealtimeFactor(state);
}

BENCHMARK(MeterCommandOnFile)->Name("MeterThroughput/kalvo5-meter")->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Libebur128OnFile)->Name("MeterThroughput/libebur128")->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace kalvo5::bench
