// The plug-in object's state hooks and preset-file commands.
#include "plugin/PresetCommands.h"

#include "platform/Paths.h"
#include "plugin/Kalvo5.h"
#include "plugin/PresetExport.h"
#include "plugin/StateHeader.h"
#include "plugin/XMLDocumentLimits.h"
#include "plugin/XMLParamBinding.h"

namespace kalvo5 {

namespace {

constexpr std::size_t kMaxSavedNameLength = 259;

// A preset that cannot be written is not lost without a word: the next idle
// tick shows why in the editor's message box. The old file stays as it was.
void TellWhenUnsaved(Kalvo5& plugin, bool saved, const std::string& path, const std::string& failure) {
  if (!saved)
    plugin.RequestMessageBox("The preset could not be saved to\n" + path + "\n" + failure, "Save preset");
}

}  // namespace

std::string PresetNameFromPath(const std::string& path) {
  std::string name = platform::FileNameOf(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  if (name.size() > kMaxSavedNameLength) name.resize(kMaxSavedNameLength);
  return name;
}

bool Kalvo5::WriteState(iplug::ByteChunk& chunk) { return mStateDocument.WriteXMLState(*this, chunk); }

bool Kalvo5::WriteStateDocument(std::string& document) {
  iplug::ByteChunk chunk;
  if (!WriteState(chunk)) return false;
  const StateBlock block = ReadStateBlock(chunk, 0);
  std::int32_t length = 0;
  if (!block.accepted || chunk.GetInt32(length, block.textPosition) < 0 || length < 0) return false;
  document.assign(reinterpret_cast<const char*>(chunk.Data()) + block.textPosition + 4,
                  static_cast<std::size_t>(length));
  return true;
}

bool Kalvo5::ReadStateDocument(std::string_view document) {
  // Longer than any document the parser takes: refused before it is copied.
  if (document.size() > kMaxDocumentBytes) return false;
  iplug::ByteChunk chunk;
  const int start = BeginStateBlock(chunk);
  chunk.PutInt32(static_cast<std::int32_t>(document.size()));
  chunk.PutBytes(document.data(), static_cast<int>(document.size()));
  EndStateBlock(chunk, start);
  const std::unique_ptr<ParsedXMLState> parsed = mStateDocument.ParseXMLState(*this, chunk, start);
  if (parsed->status != PresetTreeReader::Status::Ok) return false;
  mStateDocument.ApplyXMLState(*this, *parsed);
  return true;
}

int Kalvo5::ReadState(const iplug::ByteChunk& chunk, int startPos) {
  return mStateDocument.ReadXMLState(*this, chunk, startPos);
}

std::unique_ptr<iplug::IPluginBase::ParsedState> Kalvo5::ParseState(const iplug::ByteChunk& chunk,
                                                                    int startPos) const {
  return mStateDocument.ParseXMLState(*this, chunk, startPos);
}

int Kalvo5::ApplyState(const iplug::ByteChunk& chunk, int startPos, ParsedState* parsed) {
  const auto* document = dynamic_cast<const ParsedXMLState*>(parsed);
  return document ? mStateDocument.ApplyXMLState(*this, *document) : ReadState(chunk, startPos);
}

void Kalvo5::RunPresetCommand(const EditorCommand& command) {
  // Only the text export works without an editor; every command needs the
  // data folders.
  if (command.code != kCmdExportPresetText && !EditorExists()) return;
  const std::string& path = command.path;
  switch (command.code) {
    case kCmdExportPresetText:
      if (!DataFolder().empty()) ExportPresetText(*this, DataFolder());
      break;
    case kCmdLoadPreset:
      if (!path.empty()) {
        std::string name;
        mPresetFiles.LoadPresetXML(*this, path, name, PresetLoadMode::Normal);
      }
      break;
    case kCmdSavePreset:
      if (!path.empty()) {
        std::string failure;
        TellWhenUnsaved(*this,
                        mPresetFiles.SavePresetXML(*this, path, PresetNameFromPath(path).c_str(), &failure),
                        path, failure);
      }
      break;
    case kCmdSaveDefault:
      if (!PresetFolder().empty()) {
        std::string failure;
        TellWhenUnsaved(*this, mPresetFiles.SaveDefaultPresetXML(*this, PresetFolder(), &failure),
                        DefaultPresetPath(PresetFolder()), failure);
      }
      break;
    case kCmdRescanPresets:
      // The list comes from a thread of our own; the preset menu shows it
      // once it is read.
      if (!DataFolder().empty())
        mPresetStore.RefreshUser(DataFolder(), PluginIdentity(*this));
      else
        mPresetStore.ClearUser();
      break;
    default:
      break;
  }
}

}  // namespace kalvo5
