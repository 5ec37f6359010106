#include "plugin/PresetFileIO.h"

#include "platform/FileIO.h"

namespace kalvo5 {

namespace {

void NormalizeLineEnds(std::string& text) {
  if (text.find('\r') == std::string::npos) return;
  std::size_t out = 0;
  for (std::size_t in = 0; in < text.size(); ++in) {
    if (text[in] == '\r') {
      text[out++] = '\n';
      if (in + 1 < text.size() && text[in + 1] == '\n') ++in;
    } else {
      text[out++] = text[in];
    }
  }
  text.resize(out);
}

}  // namespace

bool ReadPresetFileText(const std::string& path, std::string& text) {
  if (!platform::ReadWholeFile(path, text, kMaxPresetFileBytes)) return false;
  NormalizeLineEnds(text);
  return !text.empty();
}

bool ReadPresetFileHead(const std::string& path, std::string& text, bool& whole) {
  if (!platform::ReadFileStart(path, text, kPresetHeadBytes, whole)) return false;
  NormalizeLineEnds(text);
  return !text.empty();
}

}  // namespace kalvo5
