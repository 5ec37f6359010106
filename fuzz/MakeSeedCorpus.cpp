// Writes the fuzz targets' seed corpus from what the plug-in itself
// produces: the program and bank chunks of the default state and of every
// factory preset, and each factory preset saved as a preset file.
//   kalvo5_fuzz_seeds <state corpus folder> <preset file corpus folder>
#include <cstdio>
#include <fstream>
#include <string>

#include "fuzz/FuzzPlugin.h"
#include "plugin/DataFolders.h"

namespace {

using namespace kalvo5;

bool WriteChunk(const std::string& path, const iplug::ByteChunk& chunk) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(chunk.Data()), chunk.Size());
  return static_cast<bool>(file);
}

// The chunk a host would store, as the binding answers effGetChunk.
iplug::ByteChunk HostChunk(Kalvo5VST2<>& plugin, bool bank) {
  void* data = nullptr;
  const auto size =
      iplug::IPlugVST2::VSTDispatcher(&plugin.GetEffect(), vst2::effGetChunk, bank ? 0 : 1, 0, &data, 0.0f);
  iplug::ByteChunk chunk;
  if (size > 0 && data) chunk.PutBytes(data, static_cast<int>(size));
  return chunk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <state corpus folder> <preset file corpus folder>\n", argv[0]);
    return 2;
  }
  const std::string stateFolder = argv[1];
  const std::string fileFolder = argv[2];
  Kalvo5VST2<>& plugin = fuzz::FuzzPlugin();
  bool ok = true;
  const PresetStore& store = plugin.Presets();
  for (int i = -1; i < store.NFactory(); ++i) {
    const iplug::PresetEntry& entry = i < 0 ? store.Init() : *store.Factory(i);
    plugin.CopyPresetInto(entry, 0);
    plugin.LoadPreset(0);
    const std::string stem = "preset-" + std::to_string(i + 1);
    ok = ok && WriteChunk(JoinPath(stateFolder, stem + ".block"), entry.chunk);
    ok = ok && plugin.PresetFiles().SavePresetXML(plugin, JoinPath(fileFolder, stem + ".vrs"), entry.name);
    // Host chunks of the first preset of each category: the fuzzer needs
    // the framings, not every preset in each.
    const bool firstOfCategory = i <= 0 || entry.tag != store.Factory(i - 1)->tag;
    if (firstOfCategory) {
      ok = ok && WriteChunk(JoinPath(stateFolder, stem + ".program"), HostChunk(plugin, false));
      ok = ok && WriteChunk(JoinPath(stateFolder, stem + ".bank"), HostChunk(plugin, true));
    }
  }
  if (!ok) std::fprintf(stderr, "could not write the seed corpus\n");
  return ok ? 0 : 1;
}
