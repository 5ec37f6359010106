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
  if (n <= 6 || static_cast<int>(text.size()) < n) return text;
  const std::size_t head = static_cast<std::size_t>(n / 2);
  const std::size_t tail = static_cast<std::size_t>(n) - head;
  std::string result = text.substr(0, head) + text.substr(text.size() - tail);
  result.replace(head - 2, 5, " ... ");
  return result;
}

}  // namespace igraphics
