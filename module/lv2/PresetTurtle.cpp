// The factory presets as LV2 presets: each input port's value and the
// state document the plug-in holds with the preset applied, for every
// variant.
#include <set>
#include <stdexcept>
#include <string>

#include "Kalvo5LV2Variants.h"
#include "Turtle.h"
#include "framework/iplug/LV2Messages.h"
#include "framework/iplug/LV2Ports.h"

namespace kalvo5::lv2 {

std::string PresetURI(std::string_view name) { return kLV2PresetURIBase + iplug::LV2Symbol(name); }

void WritePresets(std::ostream& out, Kalvo5& plugin) {
  WritePrefixes(out);
  std::set<std::string> uris;
  PresetStore& store = plugin.Presets();
  // A preset leaves the channel configurations alone: its document carries
  // the plug-in's defaults, whichever variant was described last.
  plugin.SetChannelLayout(2);
  for (int n = 0; n < store.NFactory(); ++n) {
    const iplug::PresetEntry& entry = *store.Factory(n);
    const std::string uri = PresetURI(entry.name);
    // Two presets of one name would share a URI: the build stops instead.
    if (!uris.insert(uri).second) throw std::runtime_error("two factory presets are named " + uri);
    ApplyStoredPreset(plugin, store, entry);
    std::string document;
    if (!plugin.WriteStateDocument(document)) throw std::runtime_error("no state document for " + uri);

    out << "<" << uri << ">\n  a pset:Preset ;\n  lv2:appliesTo ";
    int v = 0;
    for (const iplug::LV2Variant& variant : kLV2Variants)
      out << (v++ == 0 ? "<" : " , <") << variant.uri << ">";
    out << " ;\n  rdfs:label " << TurtleString(entry.name) << " ;\n  lv2:port";
    int p = 0;
    for (int i = 0; i < plugin.NParams(); ++i) {
      if (plugin.IsOutputParam(i) || plugin.FollowsChannelLayout(i)) continue;
      out << (p++ == 0 ? "\n" : " ,\n") << "  [ lv2:symbol "
          << TurtleString(iplug::LV2Symbol(plugin.GetParam(i)->GetName())) << " ; pset:value "
          << TurtleNumber(plugin.GetParam(i)->GetValue()) << " ]";
    }
    out << " ;\n  state:state [ <" << iplug::kLV2StateURI << "> " << TurtleString(document) << " ] .\n\n";
  }
}

}  // namespace kalvo5::lv2
