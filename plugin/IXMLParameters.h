// The plug-in's parameters as the XML settings document,
// in a byte chunk (state chunks and preset slots). Main thread.
#pragma once

#include <memory>
#include <span>

#include "framework/iplug/ByteChunk.h"
#include "framework/iplug/IPluginBase.h"
#include "plugin/ParameterTable.h"
#include "plugin/StateHeader.h"
#include "plugin/XMLPresetTree.h"

namespace kalvo5 {

// A state block read and its document parsed, not yet applied.
struct ParsedXMLState : iplug::IPluginBase::ParsedState {
  StateBlock block;
  PresetTreeReader reader;
  PresetTreeReader::Status status = PresetTreeReader::Status::Unreadable;
  int textEnd = 0;  // the position after the document's text; 0 without one
};

class IXMLParameters {
 public:
  // While *menuRecall is true (the preset menu applies a stored preset), a
  // restored document sets only the parameters `table` lists.
  void SetMenuRecallFilter(const bool* menuRecall, const NamedParam* table) {
    mMenuRecall = menuRecall;
    mRecallTable = table;
  }

  // Appends L and the document of the current values, named after preset
  // slot 0 (empty without a slot). False, appending nothing, when the printed
  // text is empty.
  bool SerializeParams2XMLString(iplug::IPluginBase& plugin, iplug::ByteChunk& chunk) const;
  // The same from values[0 … NParams-1] under the given preset name.
  bool SerializePresetParams2XMLString(iplug::IPluginBase& plugin, std::span<const double> values,
                                       iplug::ByteChunk& chunk, const char* presetName) const;
  // Reads L and the document at `position` and applies it: slot 0 takes the
  // preset's name, each known "Param" sets its parameter (converted through
  // ConvertParamValue, constrained by SetValue), then every parameter is
  // notified. Returns the position after the text, or 0 when the text is
  // missing, not ours, or has a child other than "Param" in its parameter
  // list (the values set before that child stay set, and are notified).
  int UnSerializeXMLString2Params(iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk,
                                  int position) const;

  // ReadXMLState in its two steps: ParseXMLState reads the block and parses
  // its document, touching nothing but the plug-in's identity (any thread);
  // ApplyXMLState applies it and answers as ReadXMLState.
  std::unique_ptr<ParsedXMLState> ParseXMLState(const iplug::IPluginBase& plugin,
                                                const iplug::ByteChunk& chunk, int start) const;
  int ApplyXMLState(iplug::IPluginBase& plugin, const ParsedXMLState& parsed) const;

  // The state hooks: the document framed by a state header block.
  bool WriteXMLState(iplug::IPluginBase& plugin, iplug::ByteChunk& chunk) const;
  // Reads the block at `start`; returns the position just past it (also when
  // its document was rejected), where a header mismatch stopped reading, or
  // -1 when the block's size is negative or runs past the chunk (then nothing
  // is applied).
  int ReadXMLState(iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk, int start) const;
  // A preset entry's state: a block holding the document of `values`.
  bool WritePresetState(iplug::IPluginBase& plugin, std::span<const double> values, iplug::ByteChunk& chunk,
                        const char* presetName) const;

 private:
  // The text at `position` parsed into `parsed`; its outcome in status.
  void ParseXMLString(const iplug::IPluginBase& plugin, const iplug::ByteChunk& chunk, int position,
                      ParsedXMLState& parsed) const;
  // Applies a parsed text as UnSerializeXMLString2Params describes.
  int ApplyXMLString(iplug::IPluginBase& plugin, const ParsedXMLState& parsed) const;

  const bool* mMenuRecall = nullptr;
  const NamedParam* mRecallTable = nullptr;
};

}  // namespace kalvo5
