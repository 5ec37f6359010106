// kalvo5-state: a plug-in's program state through its real entry point, for
// comparing the Linux and Windows modules byte for byte
// (scripts/windows/wine-tests.sh):
//
//   kalvo5-state PLUGIN OUT [--chunk IN] [--preset IN.vrs] [--set NAME=TEXT]...
//
// loads IN (a program chunk, effSetChunk) or the preset file IN.vrs, then the
// settings in order, and writes the program chunk (effGetChunk) to OUT.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/ParameterSetter.h"
#include "tools/PluginInstance.h"
#include "tools/PluginLibrary.h"
#include "tools/PresetChunk.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "kalvo5-state: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kalvo5::meter;
  if (argc < 3)
    return Fail("usage: kalvo5-state PLUGIN OUT [--chunk IN] [--preset IN.vrs] [--set NAME=TEXT]...");
  std::string error;
  const auto library = PluginLibrary::Open(argv[1], error);
  if (!library) return Fail(error);
  auto plugin = PluginInstance::Create(*library, error);
  if (!plugin) return Fail(error);
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--chunk") {
      std::ifstream in(value, std::ios::binary);
      std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (bytes.empty() || plugin->Dispatch(vst2::effSetChunk, 1, static_cast<vst2::VstIntPtr>(bytes.size()),
                                            bytes.data()) != 1)
        return Fail("the plug-in refused the chunk " + value);
    } else if (option == "--preset") {
      std::string document;
      if (!ReadPresetFile(value, document, error) ||
          !ApplyPreset(*plugin, FramePresetDocument(document), error))
        return Fail(error);
    } else if (option == "--set") {
      const std::size_t equals = value.find('=');
      if (equals == std::string::npos ||
          !SetParameterByName(*plugin, value.substr(0, equals), value.substr(equals + 1), error))
        return Fail(error.empty() ? "bad setting " + value : error);
    } else {
      return Fail("unknown option " + option);
    }
  }
  void* data = nullptr;
  const vst2::VstIntPtr size = plugin->Dispatch(vst2::effGetChunk, 1, 0, &data);
  if (size <= 0 || !data) return Fail("the plug-in gave no chunk");
  std::ofstream out(argv[2], std::ios::binary);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  return out ? 0 : Fail(std::string("cannot write ") + argv[2]);
}
