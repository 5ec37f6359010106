#include "plugin/PresetNameReader.h"

#include <string_view>

#include "plugin/PresetFileIO.h"

namespace kalvo5 {

namespace {

bool EndsTagName(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == '>'; }

// The text before its first "Param" start tag, followed by a stand-in
// "Param" and the end tags of the elements a document of ours holds it in;
// empty when there is no such tag. Whenever the text does not have the
// usual shape there, the end tags do not match and the result does not parse.
std::string ClosedHead(std::string_view text) {
  constexpr std::string_view kTag = "<Param";
  for (std::size_t at = text.find(kTag); at != std::string_view::npos; at = text.find(kTag, at + 1)) {
    const std::size_t after = at + kTag.size();
    if (after < text.size() && EndsTagName(text[after]))
      return std::string(text.substr(0, at)) + "<Param/></Parameter></Preset></PresetXMLTree>";
  }
  return {};
}

bool PassesHeaderChecks(std::string_view text, const PresetTreeIdentity& identity, std::string& name) {
  PresetTreeReader reader;
  if (reader.Open(text, identity) != PresetTreeReader::Status::Ok || !reader.HasParams()) return false;
  name = reader.PresetName();
  return true;
}

}  // namespace

bool ReadPresetFileName(const std::string& path, const PresetTreeIdentity& identity, std::string& name) {
  std::string text;
  bool whole = false;
  if (!ReadPresetFileHead(path, text, whole)) return false;
  const std::string head = ClosedHead(text);
  if (!head.empty() && PassesHeaderChecks(head, identity, name)) return true;
  if (!whole && !ReadPresetFileText(path, text)) return false;
  return PassesHeaderChecks(text, identity, name);
}

}  // namespace kalvo5
