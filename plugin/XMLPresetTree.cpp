#include "plugin/XMLPresetTree.h"

#include <tinyxml.h>

#include <cmath>
#include <mutex>

#include "framework/iplug/NumberText.h"
#include "plugin/XMLDocumentLimits.h"

namespace kalvo5 {

namespace {

// More than the longest UTF-8 sequence a lead byte can announce.
constexpr std::size_t kTerminatorPadding = 8;

// Header texts are compared byte for byte, so a text keeps its blanks: TinyXML
// drops leading and trailing blanks of texts unless told otherwise. The
// setting is process-wide inside TinyXML; it is changed only for the duration
// of our own parses, one at a time.
std::mutex& ParseMutex() {
  static std::mutex mutex;
  return mutex;
}

bool ParseKeepingBlanks(TiXmlDocument& document, const std::string& text) {
  std::lock_guard<std::mutex> lock(ParseMutex());
  const bool condensed = TiXmlBase::IsWhiteSpaceCondensed();
  TiXmlBase::SetCondenseWhiteSpace(false);
  document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
  TiXmlBase::SetCondenseWhiteSpace(condensed);
  return !document.Error();
}

TiXmlElement* AppendElement(TiXmlNode& parent, const char* name) {
  auto* element = new TiXmlElement(name);
  parent.LinkEndChild(element);
  return element;
}

void AppendTextElement(TiXmlNode& parent, const char* name, const std::string& text) {
  AppendElement(parent, name)->LinkEndChild(new TiXmlText(text));
}

// The text of the first child element `name` under `parent`: false when the
// element or its text is missing.
bool ChildText(const TiXmlElement& parent, const char* name, std::string& text) {
  const TiXmlElement* child = parent.FirstChildElement(name);
  const char* value = child ? child->GetText() : nullptr;
  if (!value) return false;
  text = value;
  return true;
}

}  // namespace

std::string PrintPresetTree(const PresetTreeIdentity& identity, const std::string& presetName,
                            std::span<const PresetTreeParam> params) {
  TiXmlDocument document;
  document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
  TiXmlElement* root = AppendElement(document, "PresetXMLTree");
  root->SetAttribute("version", "1");
  AppendTextElement(*root, "PluginVendor", identity.vendor);
  AppendTextElement(*root, "PluginName", identity.pluginName);
  AppendTextElement(*root, "PluginVersion", identity.version);
  TiXmlElement* preset = AppendElement(*root, "Preset");
  preset->SetAttribute("name", presetName);
  TiXmlElement* list = AppendElement(*preset, "Parameter");
  for (const PresetTreeParam& param : params) {
    char value[400];
    iplug::FormatFixed(value, sizeof value, param.value, 6);
    TiXmlElement* element = AppendElement(*list, "Param");
    element->SetAttribute("name", param.name ? param.name : "");
    element->SetAttribute("val", value);
  }
  TiXmlPrinter printer;  // four blanks per level, "\n" line ends
  document.Accept(&printer);
  return printer.Str();
}

PresetTreeReader::PresetTreeReader() = default;
PresetTreeReader::~PresetTreeReader() = default;

PresetTreeReader::Status PresetTreeReader::Open(std::string_view text, const PresetTreeIdentity& expected) {
  mPreset = nullptr;
  mRefusal = DocumentRefusal::None;
  mVersion.clear();
  mPresetName.clear();
  mDocument = std::make_unique<TiXmlDocument>();

  std::string terminated(text.substr(0, text.find('\0')));
  mRefusal = CheckDocumentLimits(terminated);
  if (mRefusal != DocumentRefusal::None) return Status::Refused;
  // TinyXML steps over a UTF-8 sequence by the length its first byte
  // announces, so a sequence cut short by the end of the text would take it
  // past the terminator; zeros behind it stop it there.
  terminated.append(kTerminatorPadding, '\0');
  if (!ParseKeepingBlanks(*mDocument, terminated)) return Status::Unreadable;

  const TiXmlElement* root = mDocument->FirstChildElement("PresetXMLTree");
  std::string vendor, name;
  if (!root || !ChildText(*root, "PluginVendor", vendor) || vendor != expected.vendor ||
      !ChildText(*root, "PluginName", name) || name != expected.pluginName)
    return Status::Foreign;
  ChildText(*root, "PluginVersion", mVersion);

  const TiXmlElement* preset = root->FirstChildElement("Preset");
  const TiXmlAttribute* first = preset ? preset->FirstAttribute() : nullptr;
  if (!first || first->NameTStr() != "name") return Status::NoPreset;
  mPreset = preset;
  mPresetName = first->ValueStr();
  return Status::Ok;
}

bool PresetTreeReader::HasParams() const {
  const TiXmlElement* list = mPreset ? mPreset->FirstChildElement("Parameter") : nullptr;
  return list && list->FirstChildElement();
}

bool PresetTreeReader::ForEachParam(const std::function<void(const char* name, double value)>& visit) const {
  const TiXmlElement* list = mPreset ? mPreset->FirstChildElement("Parameter") : nullptr;
  if (!list) return false;
  for (const TiXmlElement* child = list->FirstChildElement(); child; child = child->NextSiblingElement()) {
    if (child->ValueStr() != "Param") return false;
    const char* name = child->Attribute("name");
    if (!name || name[0] == '\0') continue;
    const char* text = child->Attribute("val");
    // Read as "%f" reads in the C locale; no number at all reads as 0.
    const double value = text ? iplug::ParseDoubleC(text, nullptr) : 0.0;
    if (std::isnan(value)) continue;
    visit(name, value);
  }
  return true;
}

}  // namespace kalvo5
