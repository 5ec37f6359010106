// The settings document every state, preset slot and preset file carries:
//
//   <?xml version="1.0" ?>
//   <PresetXMLTree version="1">
//       <PluginVendor>…</PluginVendor> <PluginName>…</PluginName>
//       <PluginVersion>v5.3.6</PluginVersion>
//       <Preset name="…"> <Parameter> <Param name="…" val="%f" /> … </Parameter> </Preset>
//   </PresetXMLTree>
//
// Printing and reading it with TinyXML. Knows nothing of the plug-in: the
// caller supplies the identity, the names and the values.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "plugin/XMLDocumentLimits.h"

class TiXmlDocument;
class TiXmlElement;

namespace kalvo5 {

// Who wrote a document, as its three header texts say.
struct PresetTreeIdentity {
  std::string vendor;      // e.g. "Vantorel"
  std::string pluginName;  // e.g. "Kalvo5"
  std::string version;     // e.g. "v5.3.6"
};

struct PresetTreeParam {
  const char* name;  // the parameter's display name
  double value;      // its real (not normalized) value
};

// The document as TinyXML prints it: four blanks of indentation per level,
// "\n" after every line. Values are printed like "%f" in the C locale.
std::string PrintPresetTree(const PresetTreeIdentity& identity, const std::string& presetName,
                            std::span<const PresetTreeParam> params);

// Reads a document in the order the loaders check it. Every accessor is safe
// on any outcome of Open.
class PresetTreeReader {
 public:
  enum class Status {
    Ok,
    Refused,     // beyond the limits of XMLDocumentLimits.h: not parsed at all
    Unreadable,  // empty or not XML
    Foreign,     // no PresetXMLTree, or another vendor or plug-in name (byte for byte)
    NoPreset,    // no "Preset" element, or its first attribute is not "name"
  };

  PresetTreeReader();
  ~PresetTreeReader();
  PresetTreeReader(const PresetTreeReader&) = delete;
  PresetTreeReader& operator=(const PresetTreeReader&) = delete;

  // Parses `text` (up to its first zero byte, as TinyXML reads it) and checks
  // the header against the expected vendor and plug-in name. A text beyond
  // the document limits is refused before TinyXML sees it.
  Status Open(std::string_view text, const PresetTreeIdentity& expected);
  // Why the last Open refused its text; None unless it answered Refused.
  DocumentRefusal Refusal() const { return mRefusal; }

  // The "PluginVersion" text (empty when missing) and the preset's name, as
  // found; valid once Open passed the respective check.
  const std::string& Version() const { return mVersion; }
  const std::string& PresetName() const { return mPresetName; }

  // Whether "Preset" holds a "Parameter" element with at least one child element.
  bool HasParams() const;

  // Visits the "Param" children in order with their name and value. A child
  // without a name, or with an empty one, is skipped, and so is a value that
  // is not a number ("nan"); a missing or unreadable "val" gives 0. Stops and
  // returns false at the first child element that is not a "Param".
  bool ForEachParam(const std::function<void(const char* name, double value)>& visit) const;

 private:
  std::unique_ptr<TiXmlDocument> mDocument;
  const TiXmlElement* mPreset = nullptr;
  DocumentRefusal mRefusal = DocumentRefusal::None;
  std::string mVersion;
  std::string mPresetName;
};

}  // namespace kalvo5
