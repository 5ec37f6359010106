// kalvo5-lv2-bundle BUNDLE DATA_HOME: writes the descriptions of the LV2
// bundle into the folder BUNDLE, from a Kalvo5 whose data folder lies in
// DATA_HOME (so that describing the bundle touches nothing of the user's).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "Kalvo5LV2Variants.h"
#include "Turtle.h"
#include "framework/iplug/Timer.h"

namespace kalvo5::lv2 {

void WriteManifest(std::ostream& out, Kalvo5& plugin) {
  WritePrefixes(out);
  for (const iplug::LV2Variant& variant : kLV2Variants)
    out << "<" << variant.uri << ">\n  a lv2:Plugin ;\n  lv2:binary <" << kLV2BinaryName
        << "> ;\n  rdfs:seeAlso <Kalvo5.ttl> .\n\n";
  out << "<" << kLV2EditorURI << ">\n  a ui:X11UI ;\n  ui:binary <" << kLV2BinaryName
      << "> ;\n  rdfs:seeAlso <Kalvo5.ttl> .\n\n";
  PresetStore& store = plugin.Presets();
  for (int n = 0; n < store.NFactory(); ++n) {
    out << "<" << PresetURI(store.Factory(n)->name) << ">\n  a pset:Preset ;\n  lv2:appliesTo ";
    int v = 0;
    for (const iplug::LV2Variant& variant : kLV2Variants)
      out << (v++ == 0 ? "<" : " , <") << variant.uri << ">";
    out << " ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
  }
}

namespace {

// Writes one file whole, or fails.
void WriteFile(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  write(out);
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

}  // namespace kalvo5::lv2

int main(int argc, char** argv) {
  using namespace kalvo5;
  if (argc != 3) {
    std::fprintf(stderr, "usage: kalvo5-lv2-bundle BUNDLE DATA_HOME\n");
    return 2;
  }
  try {
    const std::filesystem::path bundle(argv[1]);
    std::filesystem::create_directories(bundle);
    std::filesystem::create_directories(argv[2]);
    setenv("XDG_DATA_HOME", argv[2], 1);
    iplug::MainThreadScope mainThread;
    Kalvo5 plugin;
    lv2::WriteFile(bundle / "Kalvo5.ttl", [&](std::ostream& out) { lv2::WritePlugins(out, plugin); });
    lv2::WriteFile(bundle / "manifest.ttl", [&](std::ostream& out) { lv2::WriteManifest(out, plugin); });
    lv2::WriteFile(bundle / "presets.ttl", [&](std::ostream& out) { lv2::WritePresets(out, plugin); });
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kalvo5-lv2-bundle: %s\n", e.what());
    return 1;
  }
  return 0;
}
