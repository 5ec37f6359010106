#include "TextLayout.h"

namespace igraphics {

std::vector<std::string> WrapText(const std::string& text, float maxWidth,
                                  const std::function<float(const std::string&)>& measure) {
  std::vector<std::string> lines;
  std::string line;
  std::string word;
  auto flushWord = [&] {
    if (word.empty()) return;
    const std::string candidate = line.empty() ? word : line + " " + word;
    if (!line.empty() && measure(candidate) > maxWidth) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    word.clear();
  };
  for (char c : text) {
    if (c == ' ') {
      flushWord();
    } else if (c == '\n') {
      flushWord();
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      word += c;
    }
  }
  flushWord();
  if (!line.empty() || lines.empty()) lines.push_back(line);
  return lines;
}

std::string ShortenMiddle(const std::string& text, int n) {
  // Counted in characters, not bytes: a UTF-8 name is never cut inside one.
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  const std::size_t count = starts.size();
  if (n <= 6 || count < static_cast<std::size_t>(n)) return text;
  const std::size_t head = static_cast<std::size_t>(n / 2);
  const std::size_t tail = static_cast<std::size_t>(n) - head;
  // The first head and the last tail characters, with the two before the
  // middle and the three after it replaced by " ... ".
  return text.substr(0, starts[head - 2]) + " ... " + text.substr(starts[count - tail + 3]);
}

}  // namespace igraphics
