// The descriptions of the plug-ins (one per variant) and of the editor.
#include <cstring>
#include <string>

#include "Kalvo5LV2Variants.h"
#include "Turtle.h"
#include "framework/iplug/LV2Messages.h"
#include "framework/iplug/LV2Ports.h"

namespace kalvo5::lv2 {

namespace {

// The room each message port asks for: a snapshot and every parameter.
constexpr int kMessagePortBytes = 16384;

// The unit of a parameter's label: one of LV2's own where there is one,
// else a unit described in place.
std::string UnitOf(const char* label) {
  if (std::strcmp(label, "dB") == 0) return "units:db";
  if (std::strcmp(label, "ms") == 0) return "units:ms";
  if (std::strcmp(label, "%") == 0) return "units:pc";
  return "[ a units:Unit ; rdfs:label " + TurtleString(label) + " ; units:symbol " + TurtleString(label) +
         " ; units:render " + TurtleString(std::string("%f ") + label) + " ]";
}

// An Enum of two entries named off and on is a switch.
bool IsSwitch(const iplug::IParam& param) {
  if (param.Kind() != iplug::ParamKind::Enum || param.DisplayTextCount() != 2) return false;
  const auto named = [&](int n, const char* a, const char* b) {
    const char* text = param.DisplayTextAt(n)->text;
    return std::strcmp(text, a) == 0 || std::strcmp(text, b) == 0;
  };
  return param.GetMin() == 0.0 && param.GetMax() == 1.0 && named(0, "Off", "off") && named(1, "On", "on");
}

void WriteParamPort(std::ostream& out, const iplug::IParam& param, double defaultValue, std::uint32_t index,
                    bool output) {
  out << "  [\n    a lv2:" << (output ? "OutputPort" : "InputPort") << " , lv2:ControlPort ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol " << TurtleString(iplug::LV2Symbol(param.GetName())) << " ;\n"
      << "    lv2:name " << TurtleString(param.GetName()) << " ;\n"
      << "    lv2:default " << TurtleNumber(defaultValue) << " ;\n"
      << "    lv2:minimum " << TurtleNumber(param.GetMin()) << " ;\n"
      << "    lv2:maximum " << TurtleNumber(param.GetMax());
  std::string properties;
  const auto add = [&](const char* property) {
    properties += (properties.empty() ? "" : " , ") + std::string(property);
  };
  if (IsSwitch(param)) {
    add("lv2:toggled");
  } else if (param.Kind() == iplug::ParamKind::Enum) {
    add("lv2:integer");
    add("lv2:enumeration");
  } else if (param.Kind() == iplug::ParamKind::Int || param.Kind() == iplug::ParamKind::Bool) {
    add("lv2:integer");
  }
  if (!param.CanAutomate()) add("pprops:notAutomatic");
  if (!properties.empty()) out << " ;\n    lv2:portProperty " << properties;
  if (param.Kind() == iplug::ParamKind::Enum && !IsSwitch(param)) {
    for (int n = 0; n < param.DisplayTextCount(); ++n) {
      const iplug::DisplayText* entry = param.DisplayTextAt(n);
      out << (n == 0 ? " ;\n    lv2:scalePoint " : " , ") << "[ rdfs:label " << TurtleString(entry->text)
          << " ; rdf:value " << TurtleNumber(entry->value) << " ]";
    }
  }
  if (param.GetLabel()[0] != '\0') out << " ;\n    units:unit " << UnitOf(param.GetLabel());
  out << "\n  ]";
}

void WriteMessagePort(std::ostream& out, std::uint32_t index, bool output) {
  out << "  [\n    a lv2:" << (output ? "OutputPort" : "InputPort") << " , atom:AtomPort ;\n"
      << "    atom:bufferType atom:Sequence ;\n"
      << "    lv2:portProperty lv2:connectionOptional ;\n"
      << "    atom:supports <" << (output ? iplug::kLV2SnapshotURI : iplug::kLV2ResendURI) << "> , <"
      << iplug::kLV2ParamURI << "> ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << (output ? "notify" : "control") << "\" ;\n"
      << "    lv2:name \"" << (output ? "Editor messages out" : "Editor messages in") << "\" ;\n"
      << "    rsz:minimumSize " << kMessagePortBytes << "\n  ]";
}

void WriteVariant(std::ostream& out, Kalvo5& plugin, const iplug::LV2Variant& variant, const char* name) {
  const iplug::LV2PortLayout layout(variant.channels, plugin.NParams());
  plugin.SetChannelLayout(variant.channels);
  out << "<" << variant.uri << ">\n"
      << "  a lv2:Plugin , lv2:AnalyserPlugin ;\n"
      << "  doap:name " << TurtleString(std::string("Kalvo5 (") + name + ")") << " ;\n"
      << "  lv2:project <" << kLV2ProjectURI << "> ;\n"
      << "  lv2:requiredFeature urid:map ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable , opts:options ;\n"
      << "  lv2:extensionData state:interface ;\n"
      << "  ui:ui <" << kLV2EditorURI << "> ;\n"
      << "  lv2:port\n";
  for (int channel = 0; channel < variant.channels; ++channel) {
    for (const bool output : {false, true}) {
      const std::string number = std::to_string(channel + 1);
      out << "  [\n    a lv2:" << (output ? "OutputPort" : "InputPort") << " , lv2:AudioPort ;\n"
          << "    lv2:index " << (output ? layout.AudioOut(channel) : layout.AudioIn(channel)) << " ;\n"
          << "    lv2:symbol \"" << (output ? "out_" : "in_") << number << "\" ;\n"
          << "    lv2:name \"" << (output ? "Out " : "In ") << number << "\"\n  ] ,\n";
    }
  }
  WriteMessagePort(out, layout.MessagesIn(), false);
  out << " ,\n";
  WriteMessagePort(out, layout.MessagesOut(), true);
  for (int i = 0; i < plugin.NParams(); ++i) {
    out << " ,\n";
    const iplug::IParam& param = *plugin.GetParam(i);
    const double defaultValue = plugin.FollowsChannelLayout(i) ? param.GetValue() : param.GetDefault();
    WriteParamPort(out, param, defaultValue, layout.Param(i), plugin.IsOutputParam(i));
  }
  out << " ,\n  [\n    a lv2:OutputPort , lv2:ControlPort ;\n"
      << "    lv2:index " << layout.Latency() << " ;\n"
      << "    lv2:symbol \"latency\" ;\n    lv2:name \"Latency\" ;\n"
      << "    lv2:designation lv2:latency ;\n"
      << "    lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
      << "    lv2:minimum 0 ;\n    lv2:maximum 0 ;\n    units:unit units:frame\n  ] .\n\n";
}

}  // namespace

// The project, and the terms of the messages and the state.
void WriteTerms(std::ostream& out) {
  out << "<" << kLV2ProjectURI << ">\n  a doap:Project ;\n  doap:name \"Kalvo5\" ;\n"
      << "  doap:maintainer [ a foaf:Organization ; foaf:name \"Vantorel\" ; foaf:homepage "
         "<https://www.vantorel.com> ] .\n\n";
  const auto message = [&](const char* uri, const char* label) {
    out << "<" << uri << ">\n  a rdfs:Class ;\n  rdfs:subClassOf atom:Atom ;\n  rdfs:label "
        << TurtleString(label) << " .\n\n";
  };
  message(iplug::kLV2ParamURI, "Parameter value");
  message(iplug::kLV2SnapshotURI, "Editor snapshot");
  message(iplug::kLV2ResendURI, "Send every parameter");
  out << "<" << iplug::kLV2StateURI << ">\n  a rdf:Property ;\n  rdfs:label \"State document\" ;\n"
      << "  rdfs:range atom:String .\n\n";
}

void WritePlugins(std::ostream& out, Kalvo5& plugin) {
  WritePrefixes(out);
  WriteTerms(out);
  int n = 0;
  for (const iplug::LV2Variant& variant : kLV2Variants)
    WriteVariant(out, plugin, variant, kLV2VariantNames[n++]);
  out << "<" << kLV2EditorURI << ">\n"
      << "  a ui:X11UI ;\n"
      << "  lv2:requiredFeature urid:map , ui:parent ;\n"
      << "  lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize ;\n"
      << "  lv2:extensionData ui:idleInterface ;\n"
      << "  ui:portNotification";
  n = 0;
  for (const iplug::LV2Variant& variant : kLV2Variants)
    out << (n++ == 0 ? "\n" : " ,\n") << "  [ ui:plugin <" << variant.uri
        << "> ; lv2:symbol \"notify\" ; ui:protocol atom:eventTransfer ]";
  out << " .\n";
}

}  // namespace kalvo5::lv2
