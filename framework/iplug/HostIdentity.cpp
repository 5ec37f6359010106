#include "HostIdentity.h"

#include <string>

namespace iplug {

namespace {

struct HostKey {
  const char* key;
  int id;
};

// Tested in this order; the first key found decides, so the longer keys come
// before the shorter ones they contain ("vst live" before "live").
constexpr HostKey kHostKeys[] = {
    {"vst live", 58},
    {"reaper", 1},
    {"protools", 2},
    {"cubase", 3},
    {"nuendo", 4},
    {"cakewalk", 5},
    {"vegas", 6},
    {"fruity", 7},
    {"samplitude", 8},
    {"live", 9},
    {"tracktion", 10},
    {"ntracks", 11},
    {"melodyne", 12},
    {"vstmanlib", 13},
    {"aulab", 14},
    {"forte", 15},
    {"chainer", 16},
    {"audition", 17},
    {"orion", 18},
    {"bias", 19},
    {"sawstudio", 20},
    {"logic", 21},
    {"garageband", 22},
    {"digital", 23},
    {"audiomulch", 25},
    {"presonus", 26},
    {"vst3plugintesthost", 27},
    {"ardour", 28},
    {"renoise", 29},
    {"openmpt", 30},
    {"wavelab elements", 32},
    {"wavelab", 31},
    {"twistedwave", 33},
    {"bitwig studio", 34},
    {"reason", 36},
    {"gwvst", 37},
    {"waveform", 38},
    {"audacity", 39},
    {"acoustica", 40},
    {"plugindoctor", 41},
    {"izotope rx", 42},
    {"savihost", 43},
    {"blue cat's vst host", 44},
    {"blue cat's vst3 host", 45},
    {"sadie", 46},
    {"spectralayers", 47},
    {"vsthost", 48},
    {"vst plugin analyser", 49},
    {"wavosaur", 50},
    {"mixbus32c", 51},
    {"kv_elementfx", 52},
    {"element", 52},
    {"juce vst host", 53},
    {"komplete kontrol", 54},
    {"vst3shell", 55},
    {"com.uaudio.luna", 56},
    {"audiogridderserver", 57},
    {"equalizer apo", 59},
    {"architect", 60},
    {"izotope vst3 host", 61},
    {"cantabile 3", 62},
    {"plugin buddy", 63},
    {"finalcut", 64},
    {"dream ii", 65},
    {"metaplugin", 67},
    {"standalone", 24},
    {"www", 35},
};

// Display names indexed by host id 0 ... 67.
constexpr const char* kHostNames[] = {
    "Unknown",
    "Reaper",
    "Protools",
    "Cubase",
    "Nuendo",
    "Cakewalk",
    "Vegas",
    "FL Studio",
    "Samplitude",
    "Ableton Live",
    "Tracktion",
    "n-Track Studio",
    "Melodyne",
    "Vst-Scanner",
    "Aulab",
    "Forte",
    "Chainer",
    "Audition",
    "Orion",
    "Bias",
    "Sawstudio",
    "Logic Pro",
    "Garageband",
    "Digital Performer",
    "Standalone",
    "Audiomulch",
    "Studio One",
    "Vst3 Test Host",
    "Ardour",
    "Renoise",
    "OpenMPT",
    "Wavelab",
    "Wavelab Elements",
    "TwistedWave",
    "Bitwig Studio",
    "WWW",
    "Reason",
    "GoldWave",
    "Waveform",
    "Audacity",
    "Acoustica",
    "Plugindoctor",
    "Izotope RX",
    "Savihost",
    "Blue Cat's VST Host",
    "Blue Cat's VST3 Host",
    "Sadie",
    "SpectraLayers",
    "VSTHost",
    "VST Plugin Analyser",
    "Wavosaur",
    "Mixbus32C",
    "Kushview Element",
    "Juce VST Host",
    "NI Komplete Kontrol",
    "VST3Shell",
    "Luna",
    "AudioGridderServer",
    "VST Live",
    "Equalizer APO",
    "Architect",
    "Izotope VST3 Host",
    "Cantabile 3",
    "Plugin Buddy",
    "FinalCut",
    "DaVinci Resolve",
    "UAD Luna Win",
    "DDMF MetaPlugin",
};

static_assert(sizeof(kHostNames) / sizeof(kHostNames[0]) == 68);

// Only A-Z are lowered, whatever the locale.
std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lowered;
}

}  // namespace

bool HostSendsIntegerRangeValues(std::string_view productString) {
  return Lowered(productString).find("qtractor") != std::string::npos;
}

int IdentifyHost(std::string_view productString) {
  const std::string lowered = Lowered(productString);
  for (const HostKey& entry : kHostKeys)
    if (lowered.find(entry.key) != std::string::npos) return entry.id;
  return kHostUnknown;
}

const char* HostDisplayName(int hostId) {
  if (hostId < 1 || hostId > 67) return kHostNames[0];
  return kHostNames[hostId];
}

}  // namespace iplug
