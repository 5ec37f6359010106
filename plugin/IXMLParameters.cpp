#include "plugin/IXMLParameters.h"

#include <cstdint>
#include <string>

#include "framework/iplug/TextCopy.h"
#include "plugin/StateHeader.h"
#include "plugin/Utf8Text.h"
#include "plugin/XMLParamBinding.h"
#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

namespace {

// Appends L and the document. False, appending nothing, when the printed
// text is empty or too long for L.
bool AppendDocument(iplug::ByteChunk& chunk, const iplug::IPluginBase& plugin, const char* presetName,
                    std::span<const PresetTreeParam> params) {
  const std::string text =
      PrintPresetTree(PluginIdentity(plugin), ValidUtf8(presetName ? presetName : ""), params);
  if (text.empty() || text.size() > static_cast<std::size_t>(INT32_MAX)) return false;
  const auto length = static_cast<std::int32_t>(text.size());
  chunk.PutInt32(length);
  chunk.PutBytes(text.data(), length);
  return true;
}

}  // namespace

bool IXMLParameters::SerializeParams2XMLString(iplug::IPluginBase& plugin, iplug::ByteChunk& chunk) const {
  const iplug::PresetEntry* slot = plugin.GetPreset(0);
  return AppendDocument(chunk, plugin, slot ? slot->name : "", CurrentValues(plugin));
}

bool IXMLParameters::SerializePresetParams2XMLString(iplug::IPluginBase& plugin,
                                                     std::span<const double> values, iplug::ByteChunk& chunk,
                                                     const char* presetName) const {
  return AppendDocument(chunk, plugin, presetName, NamedValues(plugin, values));
}

int IXMLParameters::UnSerializeXMLString2Params(iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk,
                                                int position) const {
  ParsedXMLState parsed;
  ParseXMLString(plugin, chunk, position, parsed);
  return ApplyXMLString(plugin, parsed);
}

void IXMLParameters::ParseXMLString(const iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk,
                                    int position, ParsedXMLState& parsed) const {
  std::int32_t length = 0;
  const int textPosition = chunk.GetInt32(length, position);
  if (textPosition < 0) return;
  // A length running past the chunk leaves the text empty, which does not parse.
  std::string_view text;
  if (length >= 1 && static_cast<std::int64_t>(textPosition) + length <= chunk.Size()) {
    text = {reinterpret_cast<const char*>(chunk.Data()) + textPosition, static_cast<std::size_t>(length)};
    parsed.textEnd = textPosition + length;
  }
  parsed.status = parsed.reader.Open(text, PluginIdentity(plugin));
}

int IXMLParameters::ApplyXMLString(iplug::IPluginBase& plugin, const ParsedXMLState& parsed) const {
  const PresetTreeReader& reader = parsed.reader;
  if (parsed.status != PresetTreeReader::Status::Ok) return 0;
  if (iplug::PresetEntry* slot = plugin.GetPreset(0))
    iplug::CopyText(slot->name, reader.PresetName().c_str());
  if (!reader.HasParams()) return 0;

  const std::string current = PluginVersionText(plugin);
  const bool namedOnly = mMenuRecall && *mMenuRecall;
  const bool complete = reader.ForEachParam([&](const char* name, double value) {
    const int index = FindParamByName(plugin, name);
    if (index < 0 || (namedOnly && !ListsParam(mRecallTable, index))) return;
    plugin.GetParam(index)->SetValue(
        plugin.ConvertParamValue(reader.Version().c_str(), current.c_str(), index, value));
  });
  // Also after an aborted list: whatever was set reaches the reactions, so
  // the engine, the editor and the host agree with the parameters.
  plugin.NotifyAllParams(iplug::ParamSource::PresetRecall);
  return complete ? parsed.textEnd : 0;
}

bool IXMLParameters::WriteXMLState(iplug::IPluginBase& plugin, iplug::ByteChunk& chunk) const {
  const int start = BeginStateBlock(chunk);
  const bool written = SerializeParams2XMLString(plugin, chunk);
  EndStateBlock(chunk, start);
  return written;
}

bool IXMLParameters::WritePresetState(iplug::IPluginBase& plugin, std::span<const double> values,
                                      iplug::ByteChunk& chunk, const char* presetName) const {
  const int start = BeginStateBlock(chunk);
  const bool written = SerializePresetParams2XMLString(plugin, values, chunk, presetName);
  EndStateBlock(chunk, start);
  return written;
}

int IXMLParameters::ReadXMLState(iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk, int start) const {
  return ApplyXMLState(plugin, *ParseXMLState(plugin, chunk, start));
}

std::unique_ptr<ParsedXMLState> IXMLParameters::ParseXMLState(const iplug::IPluginBase& plugin,
                                                              const iplug::ByteChunk& chunk,
                                                              int start) const {
  auto parsed = std::make_unique<ParsedXMLState>();
  parsed->block = ReadStateBlock(chunk, start);
  if (parsed->block.accepted && parsed->block.next >= 0)
    ParseXMLString(plugin, chunk, parsed->block.textPosition, *parsed);
  return parsed;
}

int IXMLParameters::ApplyXMLState(iplug::IPluginBase& plugin, const ParsedXMLState& parsed) const {
  const StateBlock& block = parsed.block;
  if (!block.accepted || block.next < 0) return block.next;
  // Whether the document was applied does not change the answer: the block
  // was read to its end.
  ApplyXMLString(plugin, parsed);
  return block.next;
}

}  // namespace kalvo5
