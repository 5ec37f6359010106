// Times the process calls alone of one or two plug-ins on the same white
// noise held in memory: LV2 plug-ins (by URI, loaded with lilv) and Linux
// VST 2 plug-ins (vst2:PATH, through their entry point, 32-bit buffers, as a
// host with a playing transport calls them). Each round makes a fresh
// instance of every plug-in, activates it, and times the loop of process
// calls over the whole material with the steady clock; with two plug-ins the
// rounds alternate which goes first. Prints the median of the rounds per
// plug-in and, for two, how many times as fast the first is as the second.
// --thread-time times the processor time of the thread instead, for
// comparisons on a machine busy with other work.
//
//   kalvo5_lv2_bench [--channels N] [--seconds S] [--block N] [--rate HZ] [--rounds R] [--thread-time]
//                    PLUGIN [NAME=VALUE ...] [PLUGIN [NAME=VALUE ...]]
//
// NAME=VALUE sets an LV2 control input port by symbol, or a VST 2 parameter
// by name (or index) to a normalized value. Control ports not set keep their
// defaults; atom ports get an empty sequence. LV2_PATH says where lilv looks
// for bundles. For example, Kalvo5's EBU type without true peak beside
// x42's EBU R128 meter (which has no control ports):
//
//   LV2_PATH=build:/usr/lib/lv2 build/bench/lv2/kalvo5_lv2_bench
//       vst2:build/Kalvo5.so Type=0.5 "Toggle TruePeak measurement"=0
//       http://gareus.org/oss/lv2/meters#EBUr128
#include <dlfcn.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "vst2/VSTInterface.h"

namespace {

struct Options {
  int channels = 2;
  double seconds = 120.0;
  int block = 512;
  double rate = 48000.0;
  int rounds = 5;
  bool threadTime = false;  // the thread's processor time instead of the steady clock
};

struct Setting {
  std::string name;
  double value = 0.0;
};

struct PluginChoice {
  std::string id;  // an LV2 URI or vst2:PATH
  std::vector<Setting> settings;
};

// Planar white noise, uniform in [-0.5, 0.5), the same on every run.
std::vector<std::vector<float>> Noise(int channels, std::size_t frames) {
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::vector<std::vector<float>> out(static_cast<std::size_t>(channels), std::vector<float>(frames));
  for (std::size_t n = 0; n < frames; ++n)
    for (auto& channel : out) {
      state ^= state >> 12;
      state ^= state << 25;
      state ^= state >> 27;
      const std::uint64_t r = state * 0x2545F4914F6CDD1Dull;
      channel[n] = static_cast<float>(static_cast<double>(r >> 11) * 0x1.0p-53 - 0.5);
    }
  return out;
}

// One plug-in as the timing loop sees it.
class Runner {
 public:
  virtual ~Runner() = default;
  // A fresh, active instance.
  virtual void Start() = 0;
  // One process call on `frames` frames of each channel.
  virtual void Run(const float* const* in, int frames) = 0;
  // Deactivates and frees the instance.
  virtual void Stop() = 0;
};

// --- LV2 ---------------------------------------------------------------

// The URID map: URIs numbered from 1 in the order they are asked for.
class UridMap {
 public:
  LV2_URID Map(const char* uri) {
    for (std::size_t i = 0; i < mUris.size(); ++i)
      if (mUris[i] == uri) return static_cast<LV2_URID>(i + 1);
    mUris.emplace_back(uri);
    return static_cast<LV2_URID>(mUris.size());
  }
  static LV2_URID MapCallback(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<UridMap*>(handle)->Map(uri);
  }
  const char* Unmap(LV2_URID urid) const {
    return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
  }
  static const char* UnmapCallback(LV2_URID_Unmap_Handle handle, LV2_URID urid) {
    return static_cast<const UridMap*>(handle)->Unmap(urid);
  }

 private:
  std::vector<std::string> mUris;
};

class Lv2Runner final : public Runner {
 public:
  Lv2Runner(LilvWorld* world, const PluginChoice& choice, const Options& options) : mOptions(options) {
    LilvNode* uri = lilv_new_uri(world, choice.id.c_str());
    mPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    if (!mPlugin) throw std::runtime_error("no LV2 plug-in " + choice.id + " (LV2_PATH?)");
    MakeFeatures();
    MakePorts(world, choice.settings);
  }

  void Start() override {
    mInstance = lilv_plugin_instantiate(mPlugin, mOptions.rate, mFeatures.data());
    if (!mInstance) throw std::runtime_error("the LV2 plug-in did not instantiate");
    for (Port& port : mPorts) lilv_instance_connect_port(mInstance, port.index, port.buffer);
    lilv_instance_activate(mInstance);
  }

  void Run(const float* const* in, int frames) override {
    for (const Port& port : mPorts) {
      if (port.kind == Port::Audio && port.channel >= 0)
        lilv_instance_connect_port(mInstance, port.index, const_cast<float*>(in[port.channel]));
      if (port.kind == Port::AtomOut) {
        // An output sequence offers its whole capacity before each run.
        auto* atom = static_cast<LV2_Atom*>(port.buffer);
        atom->size = static_cast<std::uint32_t>(kAtomBytes - sizeof(LV2_Atom));
        atom->type = mChunk;
      }
    }
    lilv_instance_run(mInstance, static_cast<std::uint32_t>(frames));
  }

  void Stop() override {
    lilv_instance_deactivate(mInstance);
    lilv_instance_free(mInstance);
    mInstance = nullptr;
  }

 private:
  static constexpr std::size_t kAtomBytes = 65536;

  struct Port {
    enum Kind { Audio, Control, AtomIn, AtomOut, Other } kind = Other;
    std::uint32_t index = 0;
    int channel = -1;        // an audio input's channel of the material
    void* buffer = nullptr;  // what the port is connected to at the start
  };

  void MakeFeatures() {
    mMapFeature = {&mUrids, &UridMap::MapCallback};
    mUnmapFeature = {&mUrids, &UridMap::UnmapCallback};
    mChunk = mUrids.Map(LV2_ATOM__Chunk);
    mBlockLength = mOptions.block;
    mRate = static_cast<float>(mOptions.rate);
    const LV2_URID intType = mUrids.Map(LV2_ATOM__Int);
    const LV2_URID floatType = mUrids.Map(LV2_ATOM__Float);
    const auto option = [&](const char* key, LV2_URID type, const void* value) {
      return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, mUrids.Map(key), sizeof(std::int32_t), type, value};
    };
    mOptionList = {option(LV2_BUF_SIZE__minBlockLength, intType, &mMinBlockLength),
                   option(LV2_BUF_SIZE__maxBlockLength, intType, &mBlockLength),
                   option(LV2_BUF_SIZE__nominalBlockLength, intType, &mBlockLength),
                   option(LV2_PARAMETERS__sampleRate, floatType, &mRate),
                   LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    mFeatureList = {{LV2_URID__map, &mMapFeature},
                    {LV2_URID__unmap, &mUnmapFeature},
                    {LV2_OPTIONS__options, mOptionList.data()},
                    {LV2_BUF_SIZE__boundedBlockLength, nullptr}};
    for (LV2_Feature& feature : mFeatureList) mFeatures.push_back(&feature);
    mFeatures.push_back(nullptr);
  }

  void MakePorts(LilvWorld* world, const std::vector<Setting>& settings) {
    LilvNode* audio = lilv_new_uri(world, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(world, LV2_CORE__ControlPort);
    LilvNode* atom = lilv_new_uri(world, LV2_ATOM__AtomPort);
    LilvNode* input = lilv_new_uri(world, LV2_CORE__InputPort);
    const std::uint32_t count = lilv_plugin_get_num_ports(mPlugin);
    mControls.assign(count, 0.0f);
    mAtoms.assign(count, std::vector<std::uint64_t>(kAtomBytes / sizeof(std::uint64_t)));
    mBuffers.assign(count, std::vector<float>(static_cast<std::size_t>(mOptions.block)));
    int nextChannel = 0;
    std::vector<bool> used(settings.size(), false);
    for (std::uint32_t i = 0; i < count; ++i) {
      const LilvPort* lport = lilv_plugin_get_port_by_index(mPlugin, i);
      const bool isInput = lilv_port_is_a(mPlugin, lport, input);
      Port port;
      port.index = i;
      port.buffer = mBuffers[i].data();  // silence in, or scratch out
      if (lilv_port_is_a(mPlugin, lport, audio)) {
        port.kind = Port::Audio;
        if (isInput && nextChannel < mOptions.channels) port.channel = nextChannel++;
      } else if (lilv_port_is_a(mPlugin, lport, control)) {
        port.kind = Port::Control;
        LilvNode* value = nullptr;
        lilv_port_get_range(mPlugin, lport, &value, nullptr, nullptr);
        if (value) mControls[i] = lilv_node_as_float(value);
        lilv_node_free(value);
        const char* symbol = lilv_node_as_string(lilv_port_get_symbol(mPlugin, lport));
        for (std::size_t s = 0; s < settings.size(); ++s)
          if (isInput && settings[s].name == symbol) {
            mControls[i] = static_cast<float>(settings[s].value);
            used[s] = true;
          }
        port.buffer = &mControls[i];
      } else if (lilv_port_is_a(mPlugin, lport, atom)) {
        port.kind = isInput ? Port::AtomIn : Port::AtomOut;
        port.buffer = mAtoms[i].data();
        auto* sequence = static_cast<LV2_Atom_Sequence*>(port.buffer);
        sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
        sequence->atom.type = mUrids.Map(LV2_ATOM__Sequence);
      }
      mPorts.push_back(port);
    }
    lilv_node_free(audio);
    lilv_node_free(control);
    lilv_node_free(atom);
    lilv_node_free(input);
    if (nextChannel < mOptions.channels) throw std::runtime_error("the LV2 plug-in has too few audio inputs");
    for (std::size_t s = 0; s < settings.size(); ++s)
      if (!used[s]) throw std::runtime_error("no control input port " + settings[s].name);
  }

  Options mOptions;
  const LilvPlugin* mPlugin = nullptr;
  LilvInstance* mInstance = nullptr;
  UridMap mUrids;
  LV2_URID_Map mMapFeature{};
  LV2_URID_Unmap mUnmapFeature{};
  LV2_URID mChunk = 0;
  std::int32_t mMinBlockLength = 1;
  std::int32_t mBlockLength = 512;
  float mRate = 48000.0f;
  std::vector<LV2_Options_Option> mOptionList;
  std::vector<LV2_Feature> mFeatureList;
  std::vector<const LV2_Feature*> mFeatures;
  std::vector<Port> mPorts;
  std::vector<float> mControls;
  std::vector<std::vector<std::uint64_t>> mAtoms;
  std::vector<std::vector<float>> mBuffers;
};

// --- VST 2 -------------------------------------------------------------

class Vst2Runner final : public Runner {
 public:
  Vst2Runner(const PluginChoice& choice, const Options& options)
      : mSettings(choice.settings), mOptions(options) {
    const std::string path = choice.id.substr(5);
    mLibrary = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mLibrary) throw std::runtime_error(std::string("cannot load ") + path + ": " + dlerror());
    mEntry = reinterpret_cast<vst2::PluginEntryProc>(dlsym(mLibrary, "VSTPluginMain"));
    if (!mEntry) throw std::runtime_error(path + " has no VSTPluginMain");
    sRate = options.rate;
    mIn.resize(static_cast<std::size_t>(options.channels));
    mOutputs.assign(static_cast<std::size_t>(options.channels),
                    std::vector<float>(static_cast<std::size_t>(options.block)));
    for (auto& output : mOutputs) mOut.push_back(output.data());
  }
  ~Vst2Runner() override { dlclose(mLibrary); }

  void Start() override {
    mEffect = mEntry(&Host);
    if (!mEffect || mEffect->magic != vst2::kEffectMagic)
      throw std::runtime_error("the VST 2 plug-in did not open");
    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, nullptr, static_cast<float>(mOptions.rate));
    Dispatch(vst2::effSetBlockSize, mOptions.block);
    vst2::VstSpeakerArrangement layout{};
    layout.numChannels = mOptions.channels;
    Dispatch(vst2::effSetSpeakerArrangement, reinterpret_cast<vst2::VstIntPtr>(&layout), &layout);
    for (const Setting& setting : mSettings)
      mEffect->setParameter(mEffect, ParameterIndex(setting.name), static_cast<float>(setting.value));
    Dispatch(vst2::effMainsChanged, 1);
  }

  void Run(const float* const* in, int frames) override {
    for (std::size_t c = 0; c < mIn.size(); ++c) mIn[c] = const_cast<float*>(in[c]);
    mEffect->processReplacing(mEffect, mIn.data(), mOut.data(), frames);
  }

  void Stop() override {
    Dispatch(vst2::effMainsChanged, 0);
    Dispatch(vst2::effClose);
    mEffect = nullptr;
  }

 private:
  // A host whose transport plays at the rate; other questions get 0.
  static vst2::VstIntPtr Host(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*,
                              float) {
    static vst2::VstTimeInfo time{};
    if (opcode == vst2::audioMasterVersion) return 2400;
    if (opcode == vst2::audioMasterGetCurrentProcessLevel) return vst2::kVstProcessLevelRealtime;
    if (opcode != vst2::audioMasterGetTime) return 0;
    time.sampleRate = sRate;
    time.tempo = 120.0;
    time.flags = vst2::kVstTransportPlaying | vst2::kVstTempoValid;
    return reinterpret_cast<vst2::VstIntPtr>(&time);
  }

  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstIntPtr value = 0, void* ptr = nullptr,
                           float opt = 0.0f) {
    return mEffect->dispatcher(mEffect, opcode, 0, value, ptr, opt);
  }

  // The parameter of that name, or of that index.
  int ParameterIndex(const std::string& name) {
    for (int i = 0; i < mEffect->numParams; ++i) {
      char text[256] = {};
      mEffect->dispatcher(mEffect, vst2::effGetParamName, i, 0, text, 0.0f);
      if (name == text) return i;
    }
    char* end = nullptr;
    const long index = std::strtol(name.c_str(), &end, 10);
    if (*end != '\0' || end == name.c_str() || index < 0 || index >= mEffect->numParams)
      throw std::runtime_error("no VST 2 parameter " + name);
    return static_cast<int>(index);
  }

  static inline double sRate = 48000.0;
  std::vector<Setting> mSettings;
  Options mOptions;
  void* mLibrary = nullptr;
  vst2::PluginEntryProc mEntry = nullptr;
  vst2::AEffect* mEffect = nullptr;
  std::vector<float*> mIn;
  std::vector<float*> mOut;
  std::vector<std::vector<float>> mOutputs;
};

// --- timing ------------------------------------------------------------

// Seconds the process calls of one round take over the whole material.
// Seconds on the steady clock, or of processor time this thread has used
// (which leaves out the time other programs on a busy machine take from it).
double Now(const Options& options) {
  if (!options.threadTime)
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double TimeRound(Runner& runner, const std::vector<std::vector<float>>& material, const Options& options) {
  const std::size_t frames = material.empty() ? 0 : material[0].size();
  std::vector<const float*> in(material.size());
  runner.Start();
  const double begin = Now(options);
  for (std::size_t done = 0; done < frames;) {
    const std::size_t n = std::min(frames - done, static_cast<std::size_t>(options.block));
    for (std::size_t c = 0; c < in.size(); ++c) in[c] = material[c].data() + done;
    runner.Run(in.data(), static_cast<int>(n));
    done += n;
  }
  const double end = Now(options);
  runner.Stop();
  return end - begin;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Instances of VST 2 plug-ins that keep data folders keep them in a private
// temporary base.
void UsePrivateDataFolder() {
  std::string templ = (std::filesystem::temp_directory_path() / "kalvo5-lv2-bench-XXXXXX").string();
  if (mkdtemp(templ.data())) setenv("XDG_DATA_HOME", templ.c_str(), 1);
}

bool ParseArguments(int argc, char** argv, Options& options, std::vector<PluginChoice>& plugins) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--channels" && hasValue) {
      options.channels = std::atoi(argv[++i]);
    } else if (arg == "--seconds" && hasValue) {
      options.seconds = std::atof(argv[++i]);
    } else if (arg == "--block" && hasValue) {
      options.block = std::atoi(argv[++i]);
    } else if (arg == "--rate" && hasValue) {
      options.rate = std::atof(argv[++i]);
    } else if (arg == "--thread-time") {
      options.threadTime = true;
    } else if (arg == "--rounds" && hasValue) {
      options.rounds = std::atoi(argv[++i]);
    } else if (arg.rfind("--", 0) == 0) {
      return false;
    } else if (const std::size_t eq = arg.rfind('='); eq != std::string::npos && !plugins.empty()) {
      plugins.back().settings.push_back({arg.substr(0, eq), std::atof(arg.c_str() + eq + 1)});
    } else {
      plugins.push_back({arg, {}});
    }
  }
  return !plugins.empty() && plugins.size() <= 2 && options.channels >= 1 && options.seconds > 0.0 &&
         options.block >= 1 && options.rate > 0.0 && options.rounds >= 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::vector<PluginChoice> plugins;
  if (!ParseArguments(argc, argv, options, plugins)) {
    std::fprintf(
        stderr,
        "usage: %s [--channels N] [--seconds S] [--block N] [--rate HZ] [--rounds R] [--thread-time]\n"
        "       PLUGIN [NAME=VALUE ...] [PLUGIN [NAME=VALUE ...]]\n"
        "PLUGIN: an LV2 URI, or vst2:PATH of a VST 2 plug-in\n",
        argv[0]);
    return 2;
  }

  LilvWorld* world = lilv_world_new();
  lilv_world_load_all(world);
  int status = 0;
  try {
    std::vector<std::unique_ptr<Runner>> runners;
    for (const PluginChoice& choice : plugins) {
      if (choice.id.rfind("vst2:", 0) == 0) {
        UsePrivateDataFolder();
        runners.push_back(std::make_unique<Vst2Runner>(choice, options));
      } else {
        runners.push_back(std::make_unique<Lv2Runner>(world, choice, options));
      }
    }
    const auto frames = static_cast<std::size_t>(options.seconds * options.rate);
    const std::vector<std::vector<float>> material = Noise(options.channels, frames);
    std::printf("%d channels, %.1f s of white noise at %.0f Hz, blocks of %d, %d rounds\n", options.channels,
                static_cast<double>(frames) / options.rate, options.rate, options.block, options.rounds);

    std::vector<std::vector<double>> times(runners.size());
    for (int round = 0; round < options.rounds; ++round)
      for (std::size_t k = 0; k < runners.size(); ++k) {
        const std::size_t which = (k + static_cast<std::size_t>(round)) % runners.size();
        times[which].push_back(TimeRound(*runners[which], material, options));
      }

    const double audioSeconds = static_cast<double>(frames) / options.rate;
    std::vector<double> medians;
    for (std::size_t k = 0; k < runners.size(); ++k) {
      const double t = Median(times[k]);
      medians.push_back(t);
      std::printf("%s\n  median %.4f s: %.3f ms per second of audio, %.3g frames/s, %.0fx realtime\n",
                  plugins[k].id.c_str(), t, 1000.0 * t / audioSeconds, static_cast<double>(frames) / t,
                  audioSeconds / t);
    }
    if (medians.size() == 2)
      std::printf("the first is %.3fx as fast as the second (median times %.4f s / %.4f s)\n",
                  medians[1] / medians[0], medians[1], medians[0]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    status = 1;
  }
  lilv_world_free(world);
  return status;
}
