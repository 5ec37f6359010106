#include "SpeechMaterial.h"

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <random>

#include "support/ScratchFolder.h"

namespace kalvo5::test {

namespace {

// Quiet mode of the tools, and their error output kept out of the test log
// unless they fail.
int Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A private folder for the generated files, removed when the program ends.
const std::string& WorkFolder() { return testsupport::ProgramScratchFolder("kalvo5-speech"); }

// espeak-ng's audio library sets up a sound-server client folder in $TMPDIR
// and $HOME even when it only writes a file: both point at the private folder.
std::string AudioToolEnvironment() {
  const std::string folder = Quote(WorkFolder());
  return "HOME=" + folder + " TMPDIR=" + folder + " XDG_RUNTIME_DIR=" + folder +
         " XDG_CONFIG_HOME=" + folder + " ";
}

// Converts any audio file to mono 32-bit float at `rate` with sox and reads it.
// The converted file goes to the private folder, never beside the original.
bool ReadConverted(const std::string& path, int rate, std::vector<float>& out, std::string& error) {
  if (WorkFolder().empty()) {
    error = "could not create a temporary folder";
    return false;
  }
  const std::string raw = WorkFolder() + "/" + std::filesystem::path(path).filename().string() + "." +
                          std::to_string(rate) + ".f32";
  if (Run("sox " + Quote(path) + " -t raw -e floating-point -b 32 -c 1 -r " + std::to_string(rate) + " " +
          Quote(raw)) != 0) {
    error = "sox could not convert " + path + " (is sox installed? scripts/install-deps.sh installs it)";
    return false;
  }
  std::ifstream in(raw, std::ios::binary);
  in.seekg(0, std::ios::end);
  const auto bytes = static_cast<std::size_t>(in.tellg());
  in.seekg(0);
  out.resize(bytes / sizeof(float));
  in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size() * sizeof(float)));
  if (!in || out.empty()) {
    error = "could not read " + raw;
    return false;
  }
  return true;
}

void AppendPause(std::vector<float>& x, int rate, double seconds) {
  x.insert(x.end(), static_cast<std::size_t>(seconds * rate), 0.0f);
}

void NormalisePeak(std::vector<float>& x, double peak) {
  float largest = 0.0f;
  for (float v : x) largest = std::max(largest, std::fabs(v));
  if (largest > 0.0f)
    for (float& v : x) v = static_cast<float>(static_cast<double>(v) * peak / static_cast<double>(largest));
}

Material MakeSynthesisedSpeech(int rate) {
  struct Utterance {
    const char* voice;
    int wordsPerMinute;
    const char* text;
    double pause;
  };
  const Utterance utterances[] = {
      {"en-us", 175,
       "Good evening. Here are the main stories tonight. Heavy rain is expected across the north, and "
       "several roads have already been closed.",
       0.5},
      {"en-gb", 140, "The committee discussed the budget for next year, but nobody could agree on anything.",
       0.3},
      {"de", 190, "Guten Abend, meine Damen und Herren. Das Wetter morgen wird sonnig und warm.", 0.7},
      {"fr", 125, "Bonjour à tous, nous allons commencer la réunion dans quelques minutes.", 0.4},
      {"es", 160, "Mañana por la mañana saldremos temprano hacia la montaña con todos los amigos.", 0.6},
      {"en-us", 220, "Please remember to switch off your phones before the performance begins.", 0.3},
  };
  Material m;
  if (WorkFolder().empty()) {
    m.error = "could not create a temporary folder";
    return m;
  }
  for (std::size_t i = 0; i < std::size(utterances); ++i) {
    const Utterance& u = utterances[i];
    const std::string wav = WorkFolder() + "/utterance" + std::to_string(i) + ".wav";
    if (!std::filesystem::exists(wav) &&
        Run(AudioToolEnvironment() + "espeak-ng -v " + u.voice + " -s " + std::to_string(u.wordsPerMinute) +
            " -w " + Quote(wav) + " " + Quote(u.text)) != 0) {
      m.error = "espeak-ng failed (is it installed? scripts/install-deps.sh installs it)";
      m.samples.clear();
      return m;
    }
    std::vector<float> part;
    if (!ReadConverted(wav, rate, part, m.error)) {
      m.samples.clear();
      return m;
    }
    m.samples.insert(m.samples.end(), part.begin(), part.end());
    AppendPause(m.samples, rate, u.pause);
  }
  NormalisePeak(m.samples, std::pow(10.0, -3.0 / 20.0));
  return m;
}

Material MakeRecordedVoices(int rate) {
  const char* names[] = {"Front_Left", "Front_Center", "Front_Right", "Side_Left",
                         "Side_Right", "Rear_Left",    "Rear_Center", "Rear_Right"};
  Material m;
  for (const char* name : names) {
    const std::string path = std::string("/usr/share/sounds/alsa/") + name + ".wav";
    if (!std::filesystem::exists(path)) {
      m.error = path + " is missing (it comes with the alsa-utils package)";
      m.samples.clear();
      return m;
    }
    std::vector<float> part;
    if (!ReadConverted(path, rate, part, m.error)) {
      m.samples.clear();
      return m;
    }
    m.samples.insert(m.samples.end(), part.begin(), part.end());
    AppendPause(m.samples, rate, 0.3);
  }
  return m;
}

template <typename Make>
const Material& Cached(std::map<int, Material>& cache, int rate, Make make) {
  auto it = cache.find(rate);
  if (it == cache.end()) it = cache.emplace(rate, make(rate)).first;
  return it->second;
}

constexpr double kMusicSeconds = 12.0;

}  // namespace

const Material& SynthesisedSpeech(int rate) {
  static std::map<int, Material> cache;
  return Cached(cache, rate, MakeSynthesisedSpeech);
}

const Material& RecordedVoices(int rate) {
  static std::map<int, Material> cache;
  return Cached(cache, rate, MakeRecordedVoices);
}

std::vector<float> SteadyTones(int rate) {
  const auto count = static_cast<std::size_t>(kMusicSeconds * rate);
  std::vector<float> x(count);
  for (std::size_t n = 0; n < count; ++n) {
    const double t = static_cast<double>(n) / rate;
    double v = 0.0;
    for (double f : {220.0, 277.18, 329.63}) v += 0.2 * std::sin(2.0 * std::numbers::pi * f * t);
    x[n] = static_cast<float>(v);
  }
  return x;
}

std::vector<float> RhythmicChords(int rate) {
  // I - vi - IV - V, a chord on every beat (0.5 s), each note with five
  // harmonics and a plucked decay.
  const double chords[4][3] = {
      {261.63, 329.63, 392.0}, {220.0, 261.63, 329.63}, {174.61, 220.0, 261.63}, {196.0, 246.94, 293.66}};
  const auto count = static_cast<std::size_t>(kMusicSeconds * rate);
  const auto beat = static_cast<std::size_t>(0.5 * rate);
  std::vector<float> x(count);
  for (std::size_t n = 0; n < count; ++n) {
    const std::size_t b = n / beat;
    const double t = static_cast<double>(n - b * beat) / rate;
    const double* chord = chords[(b / 2) % 4];
    double v = 0.0;
    for (int note = 0; note < 3; ++note)
      for (int harmonic = 1; harmonic <= 5; ++harmonic)
        v += std::sin(2.0 * std::numbers::pi * chord[note] * harmonic * t) / harmonic;
    x[n] = static_cast<float>(0.12 * v * std::exp(-4.0 * t) * std::min(1.0, t * 200.0));
  }
  return x;
}

std::vector<float> BroadbandNoise(int rate) {
  std::mt19937 rng(5);
  std::normal_distribution<float> dist(0.0f, 0.1f);
  std::vector<float> x(static_cast<std::size_t>(kMusicSeconds * rate));
  for (float& v : x) v = dist(rng);
  return x;
}

double SpeechShare(const std::vector<int>& decisions) {
  int decided = 0;
  int speech = 0;
  for (int d : decisions) {
    if (d < 0) continue;
    ++decided;
    speech += d;
  }
  return decided == 0 ? 0.0 : static_cast<double>(speech) / decided;
}

}  // namespace kalvo5::test
