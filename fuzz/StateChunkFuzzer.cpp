// Feeds arbitrary bytes to the plug-in as a host's state chunk: as a program
// (the plug-in's state) and as a bank (the preset slots), through the same
// dispatcher entry hosts use.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kalvo5;
  Kalvo5VST2<>& plugin = fuzz::FuzzPlugin();
  // The plug-in copies the data; give it a buffer of exactly this size so
  // that any read past it is caught.
  for (const int bank : {0, 1}) {
    fuzz::RestoreDefaults(plugin);
    std::vector<std::uint8_t> chunk(data, data + size);
    iplug::IPlugVST2::VSTDispatcher(&plugin.GetEffect(), vst2::effSetChunk, bank ? 0 : 1,
                                    static_cast<vst2::VstIntPtr>(chunk.size()), chunk.data(), 0.0f);
    fuzz::CheckParameters(plugin);
  }
  // And the block read directly at a position inside the data.
  iplug::ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  plugin.ReadState(chunk, size > 8 ? 8 : 0);
  fuzz::CheckParameters(plugin);
  return 0;
}
