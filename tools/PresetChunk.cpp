#include "tools/PresetChunk.h"

#include "tools/InputFile.h"

namespace kalvo5::meter {
namespace {

constexpr std::uint32_t kChunkMagic = 0x70666674;  // reads "tffp" in the file
constexpr std::uint32_t kChunkVersion = 0x00010000;
// As much as Kalvo5 loads from a preset file itself; a preset of all its
// parameters takes about 4 KB.
constexpr std::size_t kMaxPresetBytes = 4u << 20;

void AppendInt(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void AppendTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) { out.insert(out.end(), tag, tag + 4); }

void PatchInt(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> FramePresetDocument(std::string_view document) {
  std::vector<std::uint8_t> chunk;
  chunk.reserve(document.size() + 48);
  AppendInt(chunk, kChunkMagic);
  AppendInt(chunk, kChunkVersion);

  const std::size_t block = chunk.size();
  AppendTag(chunk, "RIFF");
  AppendInt(chunk, 0);  // size A: bytes after this field, patched below
  AppendInt(chunk, 1);
  AppendTag(chunk, "VRCM");
  AppendTag(chunk, "VRCS");
  AppendInt(chunk, 0);  // size B: bytes after this field up to the end of the text
  AppendInt(chunk, 1);
  AppendInt(chunk, static_cast<std::uint32_t>(document.size()));
  chunk.insert(chunk.end(), document.begin(), document.end());

  const auto sizeB = static_cast<std::uint32_t>(8 + document.size());
  PatchInt(chunk, block + 20, sizeB);
  if (sizeB % 2 != 0) chunk.push_back(0);
  const auto sizeA = static_cast<std::uint32_t>(chunk.size() - (block + 8));
  PatchInt(chunk, block + 4, sizeA);
  if (sizeA % 2 != 0) chunk.push_back(0);
  return chunk;
}

bool ReadPresetFile(const std::string& path, std::string& document, std::string& error) {
  InputRefusal refusal;
  const auto input = InputFile::Open(path, refusal);
  if (!input) {
    error = RefusalMessage(refusal, "preset file", path);
    return false;
  }
  if (input->Size() == 0 || input->Size() > kMaxPresetBytes) {
    error = input->Size() == 0 ? "preset file is empty: " + path
                               : "preset file is too large (over 4 MB): " + path;
    return false;
  }
  document.resize(static_cast<std::size_t>(input->Size()));
  if (input->ReadAt(0, document.data(), document.size()) != document.size()) {
    error = "cannot read preset file: " + path;
    return false;
  }
  // The plug-in accepts a foreign document without complaint, so say here
  // what it would silently ignore.
  if (document.find("<PresetXMLTree") == std::string::npos) {
    error = "not a preset file (no PresetXMLTree document): " + path;
    return false;
  }
  return true;
}

bool ApplyPreset(PluginInstance& plugin, const std::vector<std::uint8_t>& chunk, std::string& error) {
  if (!plugin.HasProgramChunks()) {
    error = "the plug-in takes no state chunks, so it cannot load a preset file";
    return false;
  }
  // The plug-in copies the data; the buffer is ours for the call only.
  std::vector<std::uint8_t> data(chunk);
  if (plugin.Dispatch(vst2::effSetChunk, 1, static_cast<vst2::VstIntPtr>(data.size()), data.data()) != 1) {
    error = "the plug-in did not accept the preset";
    return false;
  }
  return true;
}

}  // namespace kalvo5::meter
