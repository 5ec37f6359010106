#include "LilvHost.h"

#include <lv2/atom/util.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace kalvo5::lv2test {

UridMap::UridMap() {
  mMap.handle = this;
  mMap.map = &MapFunction;
}

LV2_URID UridMap::Map(const char* uri) {
  const auto found = mUrids.find(uri);
  if (found != mUrids.end()) return found->second;
  const auto urid = static_cast<LV2_URID>(mUrids.size() + 1);
  mUrids.emplace(uri, urid);
  return urid;
}

LV2_URID UridMap::MapFunction(LV2_URID_Map_Handle handle, const char* uri) {
  return static_cast<UridMap*>(handle)->Map(uri);
}

TestWorld::TestWorld(const std::string& path) : mWorld(lilv_world_new()) {
  LilvNode* lv2Path = lilv_new_string(mWorld, path.c_str());
  lilv_world_set_option(mWorld, LILV_OPTION_LV2_PATH, lv2Path);
  lilv_node_free(lv2Path);
  lilv_world_load_all(mWorld);
}

TestWorld::~TestWorld() { lilv_world_free(mWorld); }

const LilvPlugin* TestWorld::Plugin(const std::string& uri) const {
  LilvNode* node = lilv_new_uri(mWorld, uri.c_str());
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), node);
  lilv_node_free(node);
  return plugin;
}

TestInstance::TestInstance(const TestWorld& world, const std::string& uri, double rate)
    : mPlugin(world.Plugin(uri)) {
  if (!mPlugin) return;
  mSequence = mUrids.Map(LV2_ATOM__Sequence);
  LV2_Feature map{LV2_URID__map, mUrids.Feature()};
  const LV2_Feature* features[] = {&map, nullptr};
  mInstance = lilv_plugin_instantiate(mPlugin, rate, features);
  if (!mInstance) return;

  LilvWorld* w = world.Get();
  LilvNode* audio = lilv_new_uri(w, LILV_URI_AUDIO_PORT);
  LilvNode* control = lilv_new_uri(w, LILV_URI_CONTROL_PORT);
  LilvNode* input = lilv_new_uri(w, LILV_URI_INPUT_PORT);
  LilvNode* atom = lilv_new_uri(w, LV2_ATOM__AtomPort);
  const std::uint32_t ports = lilv_plugin_get_num_ports(mPlugin);
  mSymbols.resize(ports);
  mControls.assign(ports, std::numeric_limits<float>::quiet_NaN());
  mMessagesIn.assign(kMessageBytes / 8, 0);
  mMessagesOut.assign(kMessageBytes / 8, 0);
  for (std::uint32_t p = 0; p < ports; ++p) {
    const LilvPort* port = lilv_plugin_get_port_by_index(mPlugin, p);
    mSymbols[p] = lilv_node_as_string(lilv_port_get_symbol(mPlugin, port));
    const bool isInput = lilv_port_is_a(mPlugin, port, input);
    if (lilv_port_is_a(mPlugin, port, audio)) {
      (isInput ? mAudioInPorts : mAudioOutPorts).push_back(p);
    } else if (lilv_port_is_a(mPlugin, port, control)) {
      LilvNode* value = nullptr;
      lilv_port_get_range(mPlugin, port, &value, nullptr, nullptr);
      mControls[p] = value ? lilv_node_as_float(value) : 0.0f;
      lilv_node_free(value);
      lilv_instance_connect_port(mInstance, p, &mControls[p]);
    } else if (lilv_port_is_a(mPlugin, port, atom)) {
      if (isInput) {
        lilv_instance_connect_port(mInstance, p, mMessagesIn.data());
      } else {
        mMessagesOutPort = p;
        lilv_instance_connect_port(mInstance, p, mMessagesOut.data());
      }
    }
  }
  lilv_node_free(audio);
  lilv_node_free(control);
  lilv_node_free(input);
  lilv_node_free(atom);
  mAudioIn.assign(mAudioInPorts.size(), std::vector<float>(kBlock));
  mAudioOut.assign(mAudioOutPorts.size(), std::vector<float>(kBlock));
  for (std::size_t c = 0; c < mAudioInPorts.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioInPorts[c], mAudioIn[c].data());
  for (std::size_t c = 0; c < mAudioOutPorts.size(); ++c)
    lilv_instance_connect_port(mInstance, mAudioOutPorts[c], mAudioOut[c].data());
}

TestInstance::~TestInstance() {
  if (!mInstance) return;
  if (mActive) lilv_instance_deactivate(mInstance);
  lilv_instance_free(mInstance);
}

float TestInstance::Control(const std::string& symbol) const {
  for (std::size_t p = 0; p < mSymbols.size(); ++p)
    if (mSymbols[p] == symbol) return mControls[p];
  return std::numeric_limits<float>::quiet_NaN();
}

void TestInstance::SetControl(const std::string& symbol, float value) {
  for (std::size_t p = 0; p < mSymbols.size(); ++p)
    if (mSymbols[p] == symbol) mControls[p] = value;
}

void TestInstance::SetPortValue(const char* symbol, void* self, const void* value, std::uint32_t size,
                                std::uint32_t type) {
  auto* instance = static_cast<TestInstance*>(self);
  if (type == instance->mUrids.Map(LV2_ATOM__Float) && size == sizeof(float))
    instance->SetControl(symbol, *static_cast<const float*>(value));
}

void TestInstance::ResetSequences() {
  auto* in = reinterpret_cast<LV2_Atom_Sequence*>(mMessagesIn.data());
  in->atom = {sizeof(LV2_Atom_Sequence_Body), mSequence};
  in->body = {0, 0};
  auto* out = reinterpret_cast<LV2_Atom_Sequence*>(mMessagesOut.data());
  out->atom = {kMessageBytes - sizeof(LV2_Atom), mUrids.Map(LV2_ATOM__Chunk)};
}

void TestInstance::Process(const std::vector<float>& interleaved, int channels, std::vector<float>* output) {
  // Activated as hosts do, once the controls are set.
  if (!mActive) lilv_instance_activate(mInstance);
  mActive = true;
  const auto frames = static_cast<long>(interleaved.size()) / channels;
  if (output) output->assign(interleaved.size(), 0.0f);
  for (long start = 0; start < frames; start += kBlock) {
    const int n = static_cast<int>(std::min<long>(kBlock, frames - start));
    for (std::size_t c = 0; c < mAudioIn.size(); ++c)
      for (int i = 0; i < n; ++i)
        mAudioIn[c][static_cast<std::size_t>(i)] =
            static_cast<int>(c) < channels ? interleaved[static_cast<std::size_t>((start + i) * channels) + c]
                                           : 0.0f;
    ResetSequences();
    lilv_instance_run(mInstance, static_cast<std::uint32_t>(n));
    if (!output) continue;
    for (std::size_t c = 0; c < mAudioOut.size() && static_cast<int>(c) < channels; ++c)
      for (int i = 0; i < n; ++i)
        (*output)[static_cast<std::size_t>((start + i) * channels) + c] =
            mAudioOut[c][static_cast<std::size_t>(i)];
  }
}

std::vector<std::vector<std::uint8_t>> TestInstance::Messages() const {
  std::vector<std::vector<std::uint8_t>> atoms;
  const auto* sequence = reinterpret_cast<const LV2_Atom_Sequence*>(mMessagesOut.data());
  if (sequence->atom.type != mSequence) return atoms;
  LV2_ATOM_SEQUENCE_FOREACH(sequence, event) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&event->body);
    atoms.emplace_back(bytes, bytes + sizeof(LV2_Atom) + event->body.size);
  }
  return atoms;
}

}  // namespace kalvo5::lv2test
