#include "ManualMarkup.h"

namespace manual {
namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The cells of "| a | b |"; a missing second cell is empty.
void SplitRow(const std::string& line, std::string& left, std::string& right) {
  std::string inner = Trim(line).substr(1);
  if (!inner.empty() && inner.back() == '|') inner.pop_back();
  const auto bar = inner.find('|');
  left = Trim(inner.substr(0, bar));
  right = bar == std::string::npos ? std::string() : Trim(inner.substr(bar + 1));
}

bool IsRuleRow(const std::string& left, const std::string& right) {
  return !left.empty() && left.find_first_not_of("-: ") == std::string::npos &&
         right.find_first_not_of("-: ") == std::string::npos;
}

}  // namespace

std::vector<Block> ParseMarkup(std::istream& in) {
  std::vector<Block> blocks;
  // The block that following text lines extend, a paragraph or a bullet (an
  // index: the list grows).
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t open = kNone;
  for (std::string raw; std::getline(in, raw);) {
    const std::string line = Trim(raw);
    if (StartsWith(line, "//")) continue;
    if (line.empty()) {
      open = kNone;
      continue;
    }
    const bool indented = raw[0] == ' ' || raw[0] == '\t';
    if (open != kNone && blocks[open].kind == Block::Kind::Bullet && indented) {
      blocks[open].text += ' ' + line;
      continue;
    }
    Block block;
    if (StartsWith(line, "### ")) {
      block.kind = Block::Kind::Subheading;
      block.text = Trim(line.substr(4));
    } else if (StartsWith(line, "## ")) {
      block.kind = Block::Kind::Heading;
      block.text = Trim(line.substr(3));
    } else if (StartsWith(line, "# ")) {
      block.kind = Block::Kind::Title;
      block.text = Trim(line.substr(2));
    } else if (StartsWith(line, "> ")) {
      block.kind = Block::Kind::Subtitle;
      block.text = Trim(line.substr(2));
    } else if (StartsWith(line, "- ")) {
      block.kind = Block::Kind::Bullet;
      block.text = Trim(line.substr(2));
    } else if (line[0] == '|') {
      block.kind = Block::Kind::TableRow;
      SplitRow(line, block.left, block.right);
      if (IsRuleRow(block.left, block.right)) {
        if (!blocks.empty() && blocks.back().kind == Block::Kind::TableRow) blocks.back().header = true;
        open = kNone;
        continue;
      }
    } else if (open != kNone && blocks[open].kind == Block::Kind::Paragraph) {
      blocks[open].text += ' ' + line;
      continue;
    } else {
      block.kind = Block::Kind::Paragraph;
      block.text = line;
    }
    blocks.push_back(std::move(block));
    const Block::Kind kind = blocks.back().kind;
    open = kind == Block::Kind::Paragraph || kind == Block::Kind::Bullet ? blocks.size() - 1 : kNone;
  }
  return blocks;
}

}  // namespace manual
